// The image view in the window: opened from the window menu or Ctrl+I, following the image,
// overwriting it, locked during an operation, and marking the differences of a Verify or of a
// comparison with the chip.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <numeric>

#include "resources/ControlIds.h"
#include "tests/window/WindowFixture.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

// A chip whose every byte holds its address.
std::vector<std::uint8_t> Counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

// Opens the image view with Ctrl+I, as a user does, and makes it the active window.
ImageViewWindow& OpenView(ShownWindow& window) {
    EXPECT_TRUE(window.Activate());
    QTest::keyClick(&window->Window(), Qt::Key_I, Qt::ControlModifier);
    ImageViewWindow* view = window->ImageView();
    EXPECT_NE(view, nullptr);
    // The window system first activates the view's window, then the toolkit the view.
    EXPECT_TRUE(QTest::qWaitFor([view] { return view->isActiveWindow(); }));
    return *view;
}

// Clicks the view's button for a command.
void ClickCommand(ImageViewWindow& view, const QString& text) {
    for (QToolButton* button : view.findChildren<QToolButton*>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// How many pixels of the bytes are painted on the red of a difference.
int RedPixels(ImageViewWindow& view) {
    const QImage shown = view.Bytes().viewport()->grab().toImage();
    int red = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            red += shown.pixelColor(x, y) == QColor(0xFF, 0xC8, 0xC8) ? 1 : 0;
        }
    }
    return red;
}

TEST(ImageView, OpensFromCtrlIOrTheWindowMenuAndFollowsReadOpenAndTheDevice) {
    TempDir files;
    WriteFileBytes(files.File("chip.bin"), Counting(256));
    WriteFileBytes(files.File("image.bin"), std::vector<std::uint8_t>(16, 0x2A));
    SimulatorProcess sim({"--chip", "24C02", "--image", files.File("chip.bin")});
    ShownWindow window;
    ImageViewWindow& view = OpenView(window);
    EXPECT_TRUE(view.isVisible());
    EXPECT_FALSE(view.isModal());
    EXPECT_EQ(view.windowTitle(), "Image: [buffer] (24C02)");
    const QString erased =
        "0040  FF FF FF FF FF FF FF FF  FF FF FF FF FF FF FF FF  ................";
    EXPECT_EQ(view.Bytes().Line(4), erased);

    window.Click(IDC_READBUTTON);
    EXPECT_EQ(view.Bytes().Line(4),
              "0040  40 41 42 43 44 45 46 47  48 49 4A 4B 4C 4D 4E 4F  @ABCDEFGHIJKLMNO");
    window.Choose(IDC_DEVICECOMBO, 0);  // 24C00
    EXPECT_EQ(view.windowTitle(), "Image: [buffer] (24C00)");
    window.user.paths = {files.File("image.bin")};
    window.Click(IDC_OPENBUTTON);
    EXPECT_EQ(view.windowTitle(),
              "Image: " + QString::fromStdString(files.File("image.bin")).toLower() + " (24C00)");
    EXPECT_EQ(view.Bytes().Line(0),
              "0000  2A 2A 2A 2A 2A 2A 2A 2A  2A 2A 2A 2A 2A 2A 2A 2A  ****************");

    // Esc closes the view; the window menu's Image command opens it again.
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(window.Finished());
    window->Window().actions()[1]->trigger();
    EXPECT_TRUE(view.isVisible());
}

TEST(ImageView, TypingOverwritesInHexAndTextWithUndoGoToAndFind) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    TempDir files;
    WriteFileBytes(files.File("image.bin"), std::vector<std::uint8_t>(256, 0x00));
    ShownWindow window;
    window.user.paths = {files.File("image.bin")};
    window.Click(IDC_OPENBUTTON);
    ImageViewWindow& view = OpenView(window);
    HexArea& bytes = view.Bytes();
    QTest::keyClicks(&bytes, "4142");
    QTest::keyClick(&bytes, Qt::Key_Tab);
    QTest::keyClicks(&bytes, "Hi");
    EXPECT_EQ(bytes.Line(0),
              "0000  41 42 48 69 00 00 00 00  00 00 00 00 00 00 00 00  ABHi............");
    EXPECT_EQ(view.PositionText(), "0004h: 00");
    EXPECT_EQ(window.Text(IDC_FILELINE), "File: [buffer]");
    EXPECT_EQ(view.windowTitle(), "Image: [buffer] (24C02)");

    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(bytes.Line(0).left(17), "0000  41 42 48 00");
    QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(bytes.Line(0).left(17), "0000  41 42 48 69");

    QTest::keyClick(&view, Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), &view.GoToField());
    QTest::keyClicks(&view.GoToField(), "80");
    QTest::keyClick(&view.GoToField(), Qt::Key_Return);
    EXPECT_EQ(view.PositionText(), "0080h: 00");
    EXPECT_EQ(QApplication::focusWidget(), &bytes);

    QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), &view.FindField());
    QTest::keyClicks(&view.FindField(), "Hi");
    QTest::keyClick(&view.FindField(), Qt::Key_Return);
    EXPECT_EQ(view.NoteText(), "Found at 0002h");
    QTest::keyClicks(&view.FindField(), "x");
    QTest::keyClick(&view.FindField(), Qt::Key_Return);
    EXPECT_EQ(view.NoteText(), "Not found: \"Hix\"");
    EXPECT_EQ(view.PositionText(), "0002h: 48");
    // F3 looks for what the field holds, typed without Enter, then for the next of it.
    view.FindField().setText("00");
    QTest::keyClick(&view, Qt::Key_F3);
    EXPECT_EQ(view.NoteText(), "Found at 0004h");
    QTest::keyClick(&view, Qt::Key_F3);
    EXPECT_EQ(view.NoteText(), "Found at 0005h");
    QTest::keyClick(&view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(view.NoteText(), "Found at 0004h");
    unsetenv("KORVEL_COM2");
}

// During a Read the view takes keys, but edits nothing; afterwards the image is the chip's.
TEST(ImageView, NothingIsEditedDuringAnOperation) {
    TempDir files;
    WriteFileBytes(files.File("chip.bin"), std::vector<std::uint8_t>(256, 0x00));
    // Two milliseconds a byte make a Read of about a second.
    SimulatorProcess sim({"--chip", "24C02", "--image", files.File("chip.bin"), "--delay-ms", "2"});
    ShownWindow window;
    ImageViewWindow& view = OpenView(window);
    QString note;
    QTimer::singleShot(300, &view, [&] {
        QTest::keyClicks(&view.Bytes(), "12");
        note = view.NoteText();
    });
    window.Click(IDC_READBUTTON);
    EXPECT_EQ(note, "No edits while an operation runs");
    EXPECT_EQ(view.Bytes().Line(0),
              "0000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  ................");
    EXPECT_EQ(view.NoteText(), "");
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view.Bytes().Line(0).left(8), "0000  00");
}

// A Verify knows its first difference, Compare with chip every one: marked on red, with the
// chip's bytes beside the image's, and F8 and Shift+F8 go from one to the next.
TEST(Differences, AFailedVerifyMarksItsByteAndCompareWithChipEveryOne) {
    TempDir files;
    const std::vector<std::uint8_t> chip = Counting(256);
    std::vector<std::uint8_t> image = chip;
    image[0x10] = 0xAA;
    image[0x11] = 0xBB;
    image[0x1F] = 0xCC;
    WriteFileBytes(files.File("chip.bin"), chip);
    WriteFileBytes(files.File("image.bin"), image);
    SimulatorProcess sim({"--chip", "24C02", "--image", files.File("chip.bin")});
    ShownWindow window;
    window.user.paths = {files.File("image.bin")};
    window.Click(IDC_OPENBUTTON);
    ImageViewWindow& view = OpenView(window);
    EXPECT_EQ(RedPixels(view), 0);
    window.Click(IDC_VERIFYBUTTON);
    EXPECT_EQ(window.user.boxes,
              std::vector<std::string>{"Verify 0: Verify failed !\nFirst error at addr 10h"});
    EXPECT_EQ(view.Bytes().Line(1),
              "0010  AA BB 12 13 14 15 16 17  18 19 1A 1B 1C 1D 1E CC  ................  10");
    EXPECT_GT(RedPixels(view), 0);
    QTest::keyClick(&view, Qt::Key_F8);
    EXPECT_EQ(view.PositionText(), "0010h: AA, chip 10 (difference 1 of 1)");

    ClickCommand(view, "Compare with chip");
    EXPECT_EQ(window.user.boxes.back(), "Compare 0: 3 bytes differ !\nFirst error at addr 10h");
    EXPECT_EQ(window.Text(IDC_STATUS), "Ready.");
    EXPECT_EQ(view.Bytes().Line(1),
              "0010  AA BB 12 13 14 15 16 17  18 19 1A 1B 1C 1D 1E CC  ................  10 11" +
                  QString(41, ' ') + "1F");
    QStringList positions;
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_F8, Qt::KeyboardModifiers()},
                                         {Qt::Key_F8, Qt::KeyboardModifiers()},
                                         {Qt::Key_F8, Qt::ShiftModifier}}) {
        QTest::keyClick(&view, key, modifiers);
        positions << view.PositionText();
    }
    EXPECT_EQ(positions, (QStringList{"0011h: BB, chip 11 (difference 2 of 3)",
                                      "001Fh: CC, chip 1F (difference 3 of 3)",
                                      "0011h: BB, chip 11 (difference 2 of 3)"}));

    // After a Read the chip and the image agree: nothing is marked.
    window.Click(IDC_READBUTTON);
    EXPECT_EQ(view.Bytes().Line(1).size(), 72);
    EXPECT_EQ(RedPixels(view), 0);
    QTest::keyClick(&view, Qt::Key_F5);  // Compare with chip
    EXPECT_EQ(window.user.boxes.back(), "Compare 0: Compare ok");
}

}  // namespace

}  // namespace korvel
