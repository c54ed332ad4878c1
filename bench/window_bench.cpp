// korvel-window-bench: how long the window takes to show, and how often a 24C256 Read paints
// its action line. Run it with a display, or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QEvent>
#include <QToolButton>
#include <chrono>
#include <cstdio>

#include "app/KorvelWindow.h"
#include "programmer/ChipTypes.h"
#include "resources/ControlIds.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Notes when the window is first painted.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(QWidget& window) { window.installEventFilter(this); }
    bool painted = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

class AnswerOk : public MessageBoxPresenter {
  public:
    int Show(QWidget&, const std::string& text, const std::string&, unsigned) override {
        std::printf("  message box: %s\n", text.c_str());
        return IDOK;
    }
    // Nothing here asks to stop.
    void Ask(QWidget&, const std::string&, const std::string&, unsigned,
             std::function<void(int)>) override {}
    void Withdraw() override {}
};

void MeasureStartUp(const char* label, Clock::time_point since) {
    KorvelWindow window;
    FirstPaint paint(window.Window());
    window.Window().show();
    while (!paint.painted) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    std::printf("start-up to a painted window, %s: %.1f ms (%s)\n", label, MsSince(since),
                window.Dialog().Texts().hardware.c_str());
}

void MeasureRead() {
    AnswerOk boxes;
    KorvelWindow window(WindowServices{&boxes, nullptr});
    window.Window().show();
    QCoreApplication::processEvents();
    CKorvelDlg& dlg = window.Dialog();
    dlg.OnSelchangeDeviceCombo(FindChipType("24C256"));
    const int before = window.Host().ActionRepaints();
    const Clock::time_point start = Clock::now();
    // As the user does: through the button, the busy guard and its event pumping.
    static_cast<QToolButton*>(window.Window().Control(IDC_READBUTTON))->click();
    std::printf("24C256 Read: %.0f ms, %d addresses, action line painted %d times\n",
                MsSince(start), dlg.Core().Chip().size, window.Host().ActionRepaints() - before);
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    using namespace korvel;
    const Clock::time_point processStart = Clock::now();
    QApplication application(argc, argv);
    {
        SimulatorProcess sim({"--chip", "24C256"});
        sim.ServeAsPort(2);
        MeasureStartUp("board on COM2", processStart);
        MeasureStartUp("again, board on COM2", Clock::now());
        MeasureRead();
    }
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    MeasureStartUp("COM2 missing", Clock::now());
    SimulatorProcess silent({"--chip", "24C256", "--silent-after", "0"});
    silent.ServeAsPort(2);
    MeasureStartUp("nothing answers on COM2", Clock::now());
    return 0;
}
