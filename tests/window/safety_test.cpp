// No one-key losses: closing the window with bytes that no file holds asks first, and Esc or the
// close box during an operation asks whether to stop it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <numeric>

#include "resources/ControlIds.h"
#include "tests/window/WindowFixture.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

using Texts = std::vector<std::string>;
const char kUnsavedQuestion[] = "Warning 51: Buffer not saved !\nSave it before closing ?";
const char kStopQuestion[] = "Warning 52: Stop the operation ?";

std::vector<std::uint8_t> Counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

// The ways a user closes the window.
const std::pair<const char*, std::function<void(ShownWindow&)>> kWaysToClose[] = {
    {"Esc", [](ShownWindow& w) { QTest::keyClick(&w->Window(), Qt::Key_Escape); }},
    {"the close box", [](ShownWindow& w) { w->Window().close(); }},
    {"Enter in a list",
     [](ShownWindow& w) {
         w.Control(IDC_DEVICECOMBO)->setFocus(Qt::TabFocusReason);
         QTest::keyClick(w.Control(IDC_DEVICECOMBO), Qt::Key_Return);
     }},
};

// Bytes read from the chip and not saved: each way of closing asks; Cancel keeps the window,
// Discard closes it.
TEST(Closing, AfterAReadEachWayAsksAndCancelKeepsTheWindowDiscardClosesIt) {
    SimulatorProcess sim({"--chip", "24C02"});
    for (const auto& [how, close] : kWaysToClose) {
        ShownWindow window;
        ASSERT_TRUE(window.Activate());
        window.Click(IDC_READBUTTON);
        window.user.answers = {IDCANCEL};
        close(window);
        EXPECT_EQ(window.user.shown, Texts{kUnsavedQuestion}) << how;
        EXPECT_FALSE(window.Finished()) << how;
        window.user.answers = {IDNO};
        close(window);
        EXPECT_EQ(window.user.shown, (Texts{kUnsavedQuestion, kUnsavedQuestion})) << how;
        EXPECT_TRUE(window.Finished()) << how;
    }
}

// Save goes as the Save button goes: a cancelled file dialog keeps the window, a saved file
// closes it.
TEST(Closing, SaveFromTheQuestionClosesOnceTheBytesAreInAFile) {
    TempDir files;
    WriteFileBytes(files.File("chip.bin"), Counting(256));
    SimulatorProcess sim({"--chip", "24C02", "--image", files.File("chip.bin")});
    ShownWindow window;
    window.Click(IDC_READBUTTON);
    window.user.answers = {IDYES};
    window->Window().close();
    EXPECT_EQ(window.user.shown, (Texts{kUnsavedQuestion, "save *.bin *.hex *.srec *"}));
    EXPECT_FALSE(window.Finished());

    window.user.answers = {IDYES};
    window.user.paths = {files.File("read.bin")};
    window->Window().close();
    EXPECT_TRUE(window.Finished());
    EXPECT_EQ(ReadFileBytes(files.File("read.bin")), Counting(256));
}

// An image from a file, or saved since, closes at once, as ever; an edit in the image view asks.
TEST(Closing, WithoutUnsavedBytesAtOnceAfterAnEditAsks) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    TempDir files;
    WriteFileBytes(files.File("image.bin"), Counting(256));
    {
        ShownWindow window;
        window.user.paths = {files.File("image.bin")};
        window.Click(IDC_OPENBUTTON);
        QTest::keyClick(&window->Window(), Qt::Key_Escape);
        EXPECT_TRUE(window.Finished());
        EXPECT_EQ(window.user.shown, Texts{"open *.bin *.hex *.srec *"});
    }
    ShownWindow window;
    ASSERT_TRUE(window.Activate());
    QTest::keyClick(&window->Window(), Qt::Key_I, Qt::ControlModifier);
    ASSERT_NE(window->ImageView(), nullptr);
    QTest::keyClicks(&window->ImageView()->Bytes(), "00");
    window->Window().close();
    EXPECT_EQ(window.user.shown, Texts{kUnsavedQuestion});
    EXPECT_TRUE(window.Finished()) << "discarded";
    unsetenv("KORVEL_COM2");
}

// A byte takes some 180 ms, so the window lets events through after each one: Esc comes when the
// action line first shows 1 %, after the third byte, and a yes stops the Read there.
TEST(Stopping, EscDuringAReadAsksAndAYesStopsItAfterTheByteUnderWay) {
    TempDir files;
    WriteFileBytes(files.File("chip.bin"), Counting(256));
    SimulatorProcess sim(
        {"--chip", "24C02", "--image", files.File("chip.bin"), "--delay-ms", "180"});
    ShownWindow window;
    window.user.asideAnswers = {IDYES};
    bool pressed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!pressed && window.Text(IDC_STATUS) == "Reading... 1% done") {
            pressed = true;
            QTest::keyClick(&window->Window(), Qt::Key_Escape);
        }
    });
    watch.start(5);
    window.Click(IDC_READBUTTON);
    watch.stop();

    EXPECT_EQ(window.user.asked, Texts{kStopQuestion});
    EXPECT_EQ(window.user.boxes, Texts{"Stopped 0: Operation stopped !\nStopped at addr 3h"});
    EXPECT_EQ(CountCommands(SettledTrace(sim), "52"), 3);
    const ImageBuffer& image = window->Dialog().Core().Image();
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.begin() + 5),
              (std::vector<std::uint8_t>{0x00, 0x01, 0x02, 0xFF, 0xFF}));
    // Its closing steps: the image stands for no file, the action line is ready again.
    EXPECT_EQ(window.Text(IDC_FILELINE), "File: [buffer]");
    EXPECT_EQ(window.Text(IDC_STATUS), "Ready.");
    EXPECT_FALSE(window.Finished());
}

// Without an answer the operation goes on to its end, and the question goes with it; the next
// operation asks afresh.
TEST(Stopping, TheCloseBoxAsksAndTheOperationGoesOnUntilAnswered) {
    // Two milliseconds a byte make a Read of about a second.
    SimulatorProcess sim({"--chip", "24C02", "--delay-ms", "2"});
    ShownWindow window;
    TemplateDialog& dialog = window->Window();
    for (int read = 1; read <= 2; ++read) {
        QTimer::singleShot(300, &dialog, [&] {
            EXPECT_FALSE(dialog.close());
            QTest::keyClick(&dialog, Qt::Key_Escape);  // asked already
        });
        window.Click(IDC_READBUTTON);
        EXPECT_EQ(CountCommands(SettledTrace(sim), "52"), 256 * read);
        EXPECT_EQ(window.user.asked, Texts(static_cast<std::size_t>(read), kStopQuestion));
        EXPECT_EQ(window.user.withdrawn, read);
    }
    EXPECT_TRUE(window.user.boxes.empty());
    EXPECT_FALSE(window.Finished());
}

}  // namespace

}  // namespace korvel
