#include "tests/window/WindowFixture.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace korvel {

ShownWindow::ShownWindow(bool realFileDialogs)
    : window_(
          std::make_unique<KorvelWindow>(WindowServices{this, realFileDialogs ? nullptr : this})) {
    QObject::connect(&window_->Window(), &QDialog::finished, [this] { finished_ = true; });
    window_->Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_->Window()));
}

bool ShownWindow::Activate() {
    window_->Window().activateWindow();
    return QTest::qWaitForWindowActive(&window_->Window());
}

void ShownWindow::Click(int id) {
    // Through the window, so that the click goes to whatever lies on top at that place.
    QTest::mouseClick(window_->Window().windowHandle(), Qt::LeftButton, {},
                      Control(id)->geometry().center());
}

void ShownWindow::Choose(int listId, int index) {
    QComboBox& list = List(listId);
    list.showPopup();
    QAbstractItemView* view = list.view();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex entry = view->model()->index(index, 0);
    view->scrollTo(entry);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(entry).center());
}

std::vector<std::string> SettledTrace(const SimulatorProcess& sim) {
    std::vector<std::string> lines = sim.Trace();
    std::vector<std::string> before;
    for (int i = 0; i < 50 && (i == 0 || lines != before); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        before = std::exchange(lines, sim.Trace());
    }
    return lines;
}

int CountCommands(const std::vector<std::string>& trace, const std::string& command) {
    return static_cast<int>(std::count_if(trace.begin(), trace.end(), [&](const std::string& line) {
        return line.rfind(command + " ", 0) == 0;
    }));
}

}  // namespace korvel
