// The main window against the board simulator: start-up, the routing of every button and
// list, the About box and the end of the window.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/KorvelWindow.h"
#include "dialog/ControlIds.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempDir.h"
#include "tests/window/WindowFixture.h"

namespace {

const std::vector<int> kAlwaysEnabled = {IDC_OPENBUTTON, IDC_SAVEBUTTON, IDC_BUFFERBUTTON};
const std::vector<int> kAllButtons = {IDC_OPENBUTTON,   IDC_SAVEBUTTON,  IDC_READBUTTON,
                                      IDC_WRITEBUTTON,  IDC_BLANKBUTTON, IDC_ERASEBUTTON,
                                      IDC_VERIFYBUTTON, IDC_BUFFERBUTTON};

void ExpectStartTexts(ShownWindow& window, const char* hardware) {
    EXPECT_EQ(window->Window().windowTitle(), "Korvel v3.0");
    EXPECT_EQ(window.Text(IDC_STATUS), "Korvel v3.0");
    EXPECT_EQ(window.Text(IDC_FILELINE), "File: [buffer]");
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 256 bytes");
    EXPECT_EQ(window.Text(IDC_HWSTAT), hardware);
    EXPECT_EQ(window.List(IDC_DEVICECOMBO).currentText(), "24C02");
    EXPECT_EQ(window.List(IDC_PORTCOMBO).currentText(), "COM2");
    const CKorvelDlg& dlg = window->Dialog();
    EXPECT_EQ(dlg.device, 2);
    EXPECT_EQ(dlg.eebufsize, 256);
    EXPECT_EQ(dlg.filename, "[buffer]");
}

TEST(StartUp, WithTheBoardOnCom2EveryButtonIsOn) {
    SimulatorProcess sim({"--chip", "24C02"});
    sim.ServeAsPort(2);
    ShownWindow window;
    ExpectStartTexts(window, "Hardware v2.1");
    EXPECT_EQ(window.EnabledButtons(), kAllButtons);
    EXPECT_TRUE(window->Dialog().hComm.IsOpen());
    EXPECT_TRUE(window.boxes.shown.empty());
}

TEST(StartUp, WithoutABoardOnlyOpenSaveAndBufferAreOn) {
    SimulatorProcess silent({"--chip", "24C02", "--silent-after", "0"});
    silent.ServeAsPort(2);
    {
        ShownWindow window;
        ExpectStartTexts(window, "Hardware not found !");
        EXPECT_EQ(window.EnabledButtons(), kAlwaysEnabled);
    }
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    ExpectStartTexts(window, "Can't open port");
    EXPECT_EQ(window.EnabledButtons(), kAlwaysEnabled);
    EXPECT_TRUE(window.boxes.shown.empty());
}

// What one click left behind, to tell the handlers apart.
struct Effects {
    int reads = 0;
    int writes = 0;
    std::string firstWrite;  // the first write command's trace line
    std::vector<std::string> boxes;
    int openDialogs = 0;
    int saveDialogs = 0;
    bool listing = false;
    bool operator==(const Effects& o) const {
        return reads == o.reads && writes == o.writes && firstWrite == o.firstWrite &&
               boxes == o.boxes && openDialogs == o.openDialogs && saveDialogs == o.saveDialogs &&
               listing == o.listing;
    }
};

std::ostream& operator<<(std::ostream& out, const Effects& e) {
    out << "reads " << e.reads << " writes " << e.writes << " [" << e.firstWrite << "] boxes";
    for (const std::string& box : e.boxes) {
        out << " \"" << box << "\"";
    }
    return out << " open " << e.openDialogs << " save " << e.saveDialogs << " listing "
               << e.listing;
}

TEST(Dispatch, EachButtonReachesItsOwnHandlerOnly) {
    TempDir temp;
    const ScopedEnvironment listingHere("TEMP", temp.path().string());
    const ScopedEnvironment noViewer("KORVEL_VIEWER", "true");
    SimulatorProcess sim({"--chip", "24C02"});
    sim.ServeAsPort(2);
    ShownWindow window;
    const std::string listing = temp.File("BUFFER.TXT");

    const std::vector<std::pair<int, Effects>> expected = {
        {IDC_OPENBUTTON, {0, 0, "", {}, 1, 0, false}},
        {IDC_SAVEBUTTON, {0, 0, "", {}, 0, 1, false}},
        {IDC_READBUTTON, {256, 0, "", {}, 0, 0, false}},
        {IDC_WRITEBUTTON, {0, 256, "57 00 00 -> 00", {}, 0, 0, false}},
        {IDC_BLANKBUTTON,
         {1, 0, "", {"Device isn't blank !\nFirst error at addr 0h"}, 0, 0, false}},
        {IDC_ERASEBUTTON, {0, 256, "57 00 FF -> FF", {}, 0, 0, false}},
        {IDC_VERIFYBUTTON, {1, 0, "", {"Verify failed !\nFirst error at addr 0h"}, 0, 0, false}},
        {IDC_BUFFERBUTTON, {0, 0, "", {}, 0, 0, true}},
    };
    std::size_t traced = SettledTrace(sim.File("trace")).size();
    for (const auto& [id, want] : expected) {
        std::filesystem::remove(listing);
        const std::size_t boxesBefore = window.boxes.shown.size();
        const int opens = window.files.opens;
        const int saves = window.files.saves;
        // Every click starts from a buffer of zeros, unlike the erased chip, so that Write and
        // Erase send different bytes and Blank and Verify stop at once.
        window->Dialog().eebuf.fill(0x00);
        window.Click(id);

        const std::vector<std::string> trace = SettledTrace(sim.File("trace"));
        const std::vector<std::string> fresh(trace.begin() + static_cast<long>(traced),
                                             trace.end());
        traced = trace.size();
        Effects got;
        got.reads = CountCommands(fresh, "52");
        got.writes = CountCommands(fresh, "57");
        for (const std::string& line : fresh) {
            if (got.firstWrite.empty() && line.rfind("57 ", 0) == 0) {
                got.firstWrite = line;
            }
        }
        for (std::size_t i = boxesBefore; i < window.boxes.shown.size(); ++i) {
            got.boxes.push_back(window.boxes.shown[i].text);
        }
        got.openDialogs = window.files.opens - opens;
        got.saveDialogs = window.files.saves - saves;
        got.listing = std::filesystem::exists(listing);
        EXPECT_EQ(got, want) << "button " << id;
        EXPECT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1") << "no detection from a button";
    }
    EXPECT_EQ(CountCommands(SettledTrace(sim.File("trace")), "46"), 1);
}

TEST(Dispatch, APortChoiceRunsDetectionADeviceChoiceOnlyTheSizeLine) {
    SimulatorProcess board({"--chip", "24C02"});
    SimulatorProcess silent({"--chip", "24C02", "--silent-after", "0"});
    board.ServeAsPort(2);
    silent.ServeAsPort(1);
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    ASSERT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");

    window.Choose(IDC_PORTCOMBO, 2);
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Can't open port");
    EXPECT_EQ(window.EnabledButtons(), kAlwaysEnabled);
    EXPECT_FALSE(window->Dialog().hComm.IsOpen());
    window.Choose(IDC_PORTCOMBO, 0);
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Hardware not found !");
    EXPECT_EQ(window.EnabledButtons(), kAlwaysEnabled);
    window.Choose(IDC_PORTCOMBO, 1);
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");
    EXPECT_EQ(window.EnabledButtons(), kAllButtons);
    // Choosing the port in use asks the board again.
    window.Choose(IDC_PORTCOMBO, 1);
    EXPECT_EQ(CountCommands(SettledTrace(board.File("trace")), "46"), 3);

    window.Choose(IDC_DEVICECOMBO, 5);
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 2048 bytes");
    EXPECT_EQ(window->Dialog().device, 5);
    window.Choose(IDC_DEVICECOMBO, 9);
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 32768 bytes");
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");
    EXPECT_EQ(window.EnabledButtons(), kAllButtons);
    EXPECT_EQ(CountCommands(SettledTrace(board.File("trace")), "46"), 3);
    EXPECT_EQ(window.List(IDC_PORTCOMBO).currentIndex(), 1);
}

TEST(AboutBox, OpensFromTheWindowMenuAndLeavesTheWindowAsItWas) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    const QList<QAction*> menu = window->Window().actions();
    ASSERT_EQ(menu.size(), 1);
    EXPECT_EQ(menu[0]->text(), "&About Korvel...");
    EXPECT_EQ(window->Window().contextMenuPolicy(), Qt::ActionsContextMenu);

    int opened = 0;
    QString title;
    const auto closeWhenOpen = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* about = QApplication::activeModalWidget();
            if (about != nullptr && about != &window->Window()) {
                ++opened;
                title = about->windowTitle();
                QTest::keyClick(about, Qt::Key_Return);  // the default button, OK
            }
        });
    };
    closeWhenOpen();
    menu[0]->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(title, "About Korvel...");
    // Only the bits above the low four name the command.
    closeWhenOpen();
    window->OnSysCommand(0x1F);
    EXPECT_EQ(opened, 2);
    closeWhenOpen();
    window->OnSysCommand(0x20);
    QTest::qWait(20);
    EXPECT_EQ(opened, 2);

    EXPECT_TRUE(window->Window().isVisible());
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Can't open port");
    EXPECT_EQ(window.Text(IDC_STATUS), "Korvel v3.0");
}

TEST(Shutdown, EscEndsTheWindowAndReleasesThePortOnce) {
    SimulatorProcess sim({"--chip", "24C02"});
    sim.ServeAsPort(2);
    auto window = std::make_unique<ShownWindow>();
    ASSERT_TRUE((*window)->Dialog().hComm.IsOpen());
    QTest::keyClick(&(*window)->Window(), Qt::Key_Escape);
    EXPECT_FALSE((*window)->Window().isVisible());
    EXPECT_FALSE((*window)->Dialog().hComm.IsOpen());

    // Someone else takes the port, very likely under the same descriptor number; the window
    // going away for good must not close it a second time.
    korvel::SerialPort other;
    ASSERT_TRUE(other.Open(sim.Link()));
    ASSERT_TRUE(other.ApplyLineSettings());
    (*window)->OnDestroy();
    (*window)->Window().close();
    window.reset();
    const std::uint8_t request = 'F';
    ASSERT_EQ(other.Write(&request, 1), 1u);
    std::uint8_t answer[3] = {};
    EXPECT_EQ(other.Read(answer, 3), 3u);
    EXPECT_EQ(std::string(answer, answer + 3), "2.1");
}

TEST(Shutdown, AWindowWithoutAPortClosesQuietly) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    window->Window().close();
    window->Window().close();
    window->OnDestroy();
    EXPECT_FALSE(window->Dialog().hComm.IsOpen());
}

}  // namespace
