// The main window against the board simulator: its texts at the start, the routing of every
// button and list, the port list's tips, the release of the port, and the About box.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "boards/ByteProtocolBoard.h"
#include "resources/ControlIds.h"
#include "tests/support/ToolRun.h"
#include "tests/window/WindowFixture.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

const std::vector<int> kAlwaysEnabled = {IDC_OPENBUTTON, IDC_SAVEBUTTON, IDC_BUFFERBUTTON};
const std::vector<int> kAllButtons = {IDC_OPENBUTTON,   IDC_SAVEBUTTON,  IDC_READBUTTON,
                                      IDC_WRITEBUTTON,  IDC_BLANKBUTTON, IDC_ERASEBUTTON,
                                      IDC_VERIFYBUTTON, IDC_BUFFERBUTTON};

// Tab, from the Open button round to it again, visits these buttons and then the two lists:
// the buttons that are on, for Tab skips those that are off.
void ExpectButtonsOn(ShownWindow& window, std::vector<int> ids) {
    EXPECT_TRUE(window.Activate());
    window.Control(IDC_OPENBUTTON)->setFocus(Qt::TabFocusReason);
    ids.insert(ids.end(), {IDC_DEVICECOMBO, IDC_PORTCOMBO, IDC_OPENBUTTON});
    for (const int id : ids) {
        EXPECT_EQ(QApplication::focusWidget(), window.Control(id)) << id;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST(MainWindow, StartsOnThe24C02AndCom2WithTheBoardFound) {
    SimulatorProcess sim({"--chip", "24C02"});
    ShownWindow window;
    QStringList texts = {window->Window().windowTitle(), window.List(IDC_DEVICECOMBO).currentText(),
                         window.List(IDC_PORTCOMBO).currentText()};
    for (const int id : {IDC_STATUS, IDC_FILELINE, IDC_SIZELINE, IDC_HWSTAT}) {
        texts << window.Text(id);
    }
    EXPECT_EQ(texts, (QStringList{"Korvel v3.0", "24C02", "COM2", "Korvel v3.0", "File: [buffer]",
                                  "Size: 256 bytes", "Hardware v2.1"}));
    EXPECT_EQ(window.List(IDC_DEVICECOMBO).count(), 10);
    EXPECT_EQ(window.List(IDC_DEVICECOMBO).itemText(9), "24C256");
    EXPECT_EQ(window.List(IDC_PORTCOMBO).count(), 4);
    EXPECT_TRUE(window.user.shown.empty());
    ExpectButtonsOn(window, kAllButtons);
}

// What a click left behind: boxes and file dialogs, the board's exchanges (a mode and a select
// command first) up to the last one, and the listing.
TEST(MainWindow, EachButtonReachesItsOwnHandler) {
    setenv("KORVEL_VIEWER", "true", 1);
    TempDir temp;
    setenv("TEMP", temp.path().c_str(), 1);
    SimulatorProcess sim({"--chip", "24C02"});
    ShownWindow window;
    unsetenv("TEMP");
    const std::string listing = temp.File("BUFFER.TXT");

    using Effects = std::vector<std::string>;
    const std::pair<int, Effects> expected[] = {
        {IDC_OPENBUTTON, {"open *.bin *.hex *.srec *"}},
        {IDC_SAVEBUTTON, {"save *.bin *.hex *.srec *"}},
        {IDC_READBUTTON, {"258 exchanges up to 52 FF -> FF"}},
        {IDC_WRITEBUTTON, {"258 exchanges up to 57 FF 00 -> 00"}},
        {IDC_BLANKBUTTON,
         {"Blank check 0: Device isn't blank !\nFirst error at addr 0h",
          "3 exchanges up to 52 00 -> 00"}},
        {IDC_ERASEBUTTON, {"258 exchanges up to 57 FF FF -> FF"}},
        {IDC_VERIFYBUTTON,
         {"Verify 0: Verify failed !\nFirst error at addr 0h", "3 exchanges up to 52 00 -> FF"}},
        {IDC_BUFFERBUTTON, {"listing"}},
    };
    std::size_t traced = SettledTrace(sim).size();
    for (const auto& [id, want] : expected) {
        std::filesystem::remove(listing);
        window.user.shown.clear();
        // Every click starts from an image of zeros, unlike the erased chip, so that Write and
        // Erase send different bytes and Blank and Verify stop at once.
        window->Dialog().Core().PutImage(0, std::vector<std::uint8_t>(256, 0x00));
        window.Click(id);

        const std::vector<std::string> trace = SettledTrace(sim);
        Effects got = window.user.shown;
        if (trace.size() > traced) {
            got.push_back(std::to_string(trace.size() - traced) + " exchanges up to " +
                          trace.back());
        }
        traced = trace.size();
        if (std::filesystem::exists(listing)) {
            got.push_back("listing");
        }
        EXPECT_EQ(got, want) << "button " << id;
    }
}

// A device choice changes the size line only; a port choice runs detection again, on the chosen
// port. Neither a button nor a device choice nor a selection that the program makes in the port
// list runs detection.
TEST(MainWindow, ListsRunTheirOwnHandlers) {
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    SimulatorProcess sim({"--chip", "24C02"});
    ShownWindow window;
    window.Choose(IDC_DEVICECOMBO, 9);
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 32768 bytes");
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");
    window.Click(IDC_BUFFERBUTTON);
    EXPECT_EQ(CountCommands(SettledTrace(sim), "46"), 1);

    window.Choose(IDC_PORTCOMBO, 2);
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Can't open port");
    ExpectButtonsOn(window, kAlwaysEnabled);
    window.Choose(IDC_PORTCOMBO, 1);
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");
    ExpectButtonsOn(window, kAllButtons);
    EXPECT_EQ(CountCommands(SettledTrace(sim), "46"), 2);
    unsetenv("KORVEL_COM3");
}

// Each entry of the port list says, when the list is open, which device it stands for: read
// afresh each time, so that a device named (or plugged in) meanwhile shows.
TEST(MainWindow, PortListNamesItsDevices) {
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    SimulatorProcess sim({"--chip", "24C02"});
    ShownWindow window;
    QComboBox& ports = window.List(IDC_PORTCOMBO);
    const auto tips = [&ports] {
        ports.showPopup();
        QStringList shown;
        for (int i = 0; i < ports.count(); ++i) {
            shown << ports.itemText(i) + " " + ports.itemData(i, Qt::ToolTipRole).toString();
        }
        ports.hidePopup();
        return shown;
    };
    QStringList shown = tips();
    EXPECT_EQ(shown[1], "COM2 " + QString::fromStdString(sim.Link()) + " (KORVEL_COM2)");
    EXPECT_EQ(shown[2], "COM3 /dev/korvel-no-such-port (KORVEL_COM3)");
    setenv("KORVEL_COM3", "/dev/ttyUSB9", 1);
    shown = tips();
    EXPECT_EQ(shown[2], "COM3 /dev/ttyUSB9 (KORVEL_COM3)");
    unsetenv("KORVEL_COM3");
    // Whatever this machine has, every entry says something.
    for (const QString& entry : shown) {
        EXPECT_TRUE(entry.contains(" (")) << entry.toStdString();
    }
}

TEST(MainWindow, ClosingReleasesThePortOnce) {
    SimulatorProcess sim({"--chip", "24C02"});
    ShownWindow window;
    ByteProtocolBoard other;
    EXPECT_FALSE(other.Connect(sim.Link())) << "the window holds the port";
    window->Window().close();
    window->Window().close();
    window->OnDestroy();
    EXPECT_TRUE(other.Connect(sim.Link())) << other.Problem();
}

// With COM2 standing for nothing, the window starts on the port that has the board (a single
// USB adapter is COM1); a port that cannot be opened says why in the port list's tooltip, which
// a program started from the desktop's menu shows instead of standard error.
TEST(StartUp, OnThePortThatStandsForADeviceWithTheReasonOfAFailureInTheTooltip) {
    SimulatorProcess sim({"--chip", "24C02"});
    unsetenv("KORVEL_COM2");
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    sim.ServeAsPort(1);
    if (!PortNames().Device(2).empty()) {
        GTEST_SKIP() << "this machine has serial ports of its own for COM1 and COM2";
    }
    {
        ShownWindow window;
        EXPECT_EQ((QStringList{window.List(IDC_PORTCOMBO).currentText(), window.Text(IDC_HWSTAT),
                               window.List(IDC_PORTCOMBO).toolTip()}),
                  (QStringList{"COM1", "Hardware v2.1", ""}));
        window.Choose(IDC_PORTCOMBO, 2);
        EXPECT_EQ((QStringList{window.Text(IDC_HWSTAT), window.List(IDC_PORTCOMBO).toolTip()}),
                  (QStringList{"Can't open port",
                               "Can't open COM3: /dev/korvel-no-such-port: No such file or "
                               "directory"}));
        window.Choose(IDC_PORTCOMBO, 0);
        EXPECT_EQ(window.List(IDC_PORTCOMBO).toolTip(), "");
    }
    // COM2 stands for a device, whether or not it can be opened: the window starts there.
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    EXPECT_EQ(
        (QStringList{window.List(IDC_PORTCOMBO).currentText(), window.Text(IDC_HWSTAT),
                     window.List(IDC_PORTCOMBO).toolTip()}),
        (QStringList{"COM2", "Can't open port",
                     "Can't open COM2: /dev/korvel-no-such-port: No such file or directory"}));
    unsetenv("KORVEL_COM1");
    unsetenv("KORVEL_COM3");
}

// --help and --version are answered as korvel-cli answers them, without a window and without
// the display that the toolkit would need.
TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
    const auto run = [](const char* option) {
        return RunTool({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                        KORVEL_WINDOW_PROGRAM, option});
    };
    const ToolRun help = run("--help");
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: korvel [OPTION]...\n", 0), 0u) << help.out;
    EXPECT_EQ(run("-h").out, help.out);
    const ToolRun version = run("--version");
    EXPECT_EQ(Outcome(version) + version.err, "0: korvel (Korvel) 3.0.0.0\n");
}

// The window menu holds About, then Image (the image view).
TEST(AboutBox, TheWindowMenuAndCommands16To31OpenIt) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    TemplateDialog& dialog = window->Window();
    // Closes the About box with its default button once it is open.
    int opened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* about = QApplication::activeModalWidget();
        if (about != nullptr && about != &dialog) {
            ++opened;
            EXPECT_EQ(about->windowTitle(), "About Korvel...");
            QTest::keyClick(about, Qt::Key_Return);
        }
    });
    closer.start(10);
    ASSERT_EQ(dialog.actions().size(), 2);
    EXPECT_EQ(dialog.actions()[1]->text(), "&Image...");
    dialog.actions()[0]->trigger();
    EXPECT_EQ(opened, 1);
    // Only the bits above the low four name the command.
    for (const auto& [command, opens] : {std::pair{0x10u, 1}, {0x1Fu, 1}, {0x20u, 0}, {0x0Fu, 0}}) {
        opened = 0;
        window->OnSysCommand(command);
        EXPECT_EQ(opened, opens) << command;
    }
    EXPECT_TRUE(dialog.isVisible());
}

}  // namespace

}  // namespace korvel
