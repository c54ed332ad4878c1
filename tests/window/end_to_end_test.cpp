// A whole session in the window against the board simulator, and what the window does with
// input while an operation holds it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <optional>

#include "resources/ControlIds.h"
#include "tests/support/BoardSession.h"
#include "tests/window/WindowFixture.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

TEST(EndToEnd, DetectReadVerifyChangeDeviceOpenWriteSaveAndClose) {
    TempDir files;
    const std::vector<std::uint8_t> chip = PatternImage(256, 3);
    WriteFileBytes(files.File("chip.bin"), chip);
    SimulatorProcess sim({"--chip", "24C02", "--image", files.File("chip.bin")});
    std::optional<ShownWindow> shown(std::in_place);
    ShownWindow& window = *shown;
    ASSERT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");

    window.Click(IDC_READBUTTON);
    const ImageBuffer& buffer = window->Dialog().Core().Image();
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 256), chip);
    // Painted once for each of 0 % to 100 % and once for "Ready.", not once per byte.
    EXPECT_EQ(window->Host().ActionRepaints(), 102);
    window.Click(IDC_VERIFYBUTTON);

    window.Choose(IDC_DEVICECOMBO, 1);  // 24C01, 128 bytes
    // A 200-byte image is more than the 24C01 holds: the warning is answered with OK.
    const std::vector<std::uint8_t> image = PatternImage(200, 100);
    WriteFileBytes(files.File("image.bin"), image);
    window.user.paths = {files.File("image.bin"), files.File("saved.bin")};
    window.Click(IDC_OPENBUTTON);
    window.Click(IDC_WRITEBUTTON);
    window.Click(IDC_VERIFYBUTTON);
    // Saving over an existing file: the overwrite question is answered with Yes.
    WriteFileBytes(files.File("saved.bin"), {1, 2, 3});
    window.user.answers = {IDYES};
    window.Click(IDC_SAVEBUTTON);
    EXPECT_EQ(
        window.user.shown,
        (std::vector<std::string>{
            "Verify 0: Verify ok", "open *.bin *.hex *.srec *",
            "Warning 48: File size is > EEPROM size !\nOnly the first 128 bytes will be used.",
            "Verify 0: Verify ok", "save *.bin *.hex *.srec *",
            "Warning 20: File exist. Overwrite ?"}));
    std::vector<std::uint8_t> written(image.begin(), image.begin() + 128);
    EXPECT_EQ(ReadFileBytes(files.File("saved.bin")), written);

    // Esc ends the window and releases the port. Someone else then takes the port, very likely
    // under the same descriptor number: the window going away must not close it a second time.
    QTest::keyClick(&window->Window(), Qt::Key_Escape);
    SerialPort other;
    ASSERT_TRUE(other.Open(sim.Link(), {9600, 8, Parity::None, 1})) << other.LastError();
    window->OnDestroy();
    shown.reset();
    const std::uint8_t request = 'F';
    std::uint8_t answer[3] = {};
    ASSERT_EQ(other.Write(&request, 1), 1u);
    EXPECT_EQ(other.Read(answer, 3), 3u);

    sim.Stop();
    written.insert(written.end(), chip.begin() + 128, chip.end());
    EXPECT_EQ(sim.Dump(), written);
}

TEST(Busy, CloseRequestsKeysClicksAndFocusStayAsTheyWereDuringARead) {
    // Two milliseconds a byte make a Read of about a second.
    SimulatorProcess sim({"--chip", "24C02", "--delay-ms", "2"});
    ShownWindow window;
    TemplateDialog& dialog = window->Window();
    ASSERT_TRUE(window.Activate());
    QWidget* const open = window.Control(IDC_OPENBUTTON);
    open->setFocus(Qt::TabFocusReason);

    QString actionLineThen;
    QWidget* focusThen = nullptr;
    QTimer::singleShot(300, &dialog, [&] {
        actionLineThen = window.Text(IDC_STATUS);
        EXPECT_FALSE(dialog.close());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        for (const int id : {IDC_SAVEBUTTON, IDC_READBUTTON, IDC_DEVICECOMBO, IDC_PORTCOMBO}) {
            window.Click(id);
        }
        focusThen = QApplication::focusWidget();
    });
    // A command button takes no focus from a click: Open keeps it.
    window.Click(IDC_READBUTTON);

    // The timer ran while the Read held the window: it kept answering.
    EXPECT_TRUE(actionLineThen.startsWith("Reading... ")) << actionLineThen.toStdString();
    EXPECT_FALSE(window.Finished());
    EXPECT_EQ(CountCommands(SettledTrace(sim), "52"), 256) << "one Read, not two";
    EXPECT_EQ(focusThen, open) << "during the Read";
    EXPECT_EQ(QApplication::focusWidget(), open) << "after the Read";

    // Afterwards the window takes input again.
    window.Click(IDC_SAVEBUTTON);
    EXPECT_EQ(window.user.shown, std::vector<std::string>{"save *.bin *.hex *.srec *"});
    dialog.close();
    EXPECT_TRUE(window.Finished());
}

}  // namespace

}  // namespace korvel
