#include "tests/window/WindowFixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "dialog/ControlIds.h"

namespace {

constexpr int kButtonIds[] = {IDC_OPENBUTTON,  IDC_SAVEBUTTON,  IDC_READBUTTON,   IDC_WRITEBUTTON,
                              IDC_BLANKBUTTON, IDC_ERASEBUTTON, IDC_VERIFYBUTTON, IDC_BUFFERBUTTON};

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

ShownWindow::ShownWindow()
    : window_(std::make_unique<KorvelWindow>(WindowServices{&boxes, &files})) {
    window_->Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_->Window()));
}

QString ShownWindow::Text(int id) {
    return static_cast<QLabel*>(Control(id))->text();
}

std::vector<int> ShownWindow::EnabledButtons() {
    std::vector<int> enabled;
    for (const int id : kButtonIds) {
        if (Enabled(id)) {
            enabled.push_back(id);
        }
    }
    return enabled;
}

void ShownWindow::Click(int id) {
    QTest::mouseClick(Control(id), Qt::LeftButton);
}

QComboBox& ShownWindow::List(int id) {
    return *static_cast<QComboBox*>(Control(id));
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

LowerCaseDir::LowerCaseDir()
    : path_((std::filesystem::temp_directory_path() / ("korvel-window-" + std::to_string(getpid())))
                .string()) {
    std::filesystem::create_directories(path_);
}

LowerCaseDir::~LowerCaseDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value)
    : name_(name), had_(std::getenv(name) != nullptr) {
    if (had_) {
        previous_ = std::getenv(name);
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (had_) {
        setenv(name_, previous_.c_str(), 1);
    } else {
        unsetenv(name_);
    }
}

std::vector<std::string> SettledTrace(const std::string& traceFile) {
    std::vector<std::string> lines = ReadLines(traceFile);
    for (int i = 0; i < 50; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::vector<std::string> again = ReadLines(traceFile);
        if (again == lines) {
            break;
        }
        lines = std::move(again);
    }
    return lines;
}

int CountCommands(const std::vector<std::string>& trace, const std::string& command) {
    int count = 0;
    for (const std::string& line : trace) {
        count += line.compare(0, command.size() + 1, command + " ") == 0 ? 1 : 0;
    }
    return count;
}
