// A whole session in the window against the board simulator, and what the window does with
// input while an operation holds it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "dialog/ControlIds.h"
#include "dialog/DialogHost.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempDir.h"
#include "tests/window/WindowFixture.h"

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size, int seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(seed));
    }
    return bytes;
}

std::vector<std::uint8_t> Head(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    return {bytes.begin(), bytes.begin() + static_cast<long>(count)};
}

TEST(EndToEnd, DetectReadVerifyChangeDeviceOpenWriteSave) {
    LowerCaseDir files;
    const std::vector<std::uint8_t> chip = Pattern(256, 3);
    WriteFileBytes(files.File("chip.bin"), chip);
    SimulatorProcess sim({"--chip", "24C02", "--image", files.File("chip.bin")});
    sim.ServeAsPort(2);
    ShownWindow window;
    CKorvelDlg& dlg = window->Dialog();
    ASSERT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");

    window.Click(IDC_READBUTTON);
    EXPECT_TRUE(std::equal(chip.begin(), chip.end(), dlg.eebuf.begin()));
    EXPECT_EQ(window.Text(IDC_STATUS), "Ready.");
    EXPECT_EQ(window.Text(IDC_FILELINE), "File: [buffer]");
    EXPECT_TRUE(window.boxes.shown.empty());
    // Painted once for each of 0 % to 100 % and once for "Ready.".
    EXPECT_EQ(window->Host().ActionRepaints(), 102);

    window.Click(IDC_VERIFYBUTTON);
    ASSERT_EQ(window.boxes.shown.size(), 1u);
    EXPECT_EQ(window.boxes.shown[0].text, "Verify ok");
    EXPECT_EQ(window.boxes.shown[0].title, "Verify");
    EXPECT_EQ(window.boxes.shown[0].style, MB_OK);

    window.Choose(IDC_DEVICECOMBO, 1);  // 24C01, 128 bytes
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 128 bytes");

    // A 200-byte image is more than the 24C01 holds: the warning is answered with OK.
    const std::vector<std::uint8_t> image = Pattern(200, 100);
    WriteFileBytes(files.File("image.bin"), image);
    window.files.paths = {files.File("image.bin")};
    window.Click(IDC_OPENBUTTON);
    ASSERT_EQ(window.boxes.shown.size(), 2u);
    EXPECT_EQ(window.boxes.shown[1].text,
              "File size is > EEPROM size !\nOnly the first 128 bytes will be used.");
    EXPECT_EQ(window.boxes.shown[1].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(window.Text(IDC_FILELINE),
              QString::fromStdString("File: " + files.File("image.bin")));
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 200 bytes");

    window.Click(IDC_WRITEBUTTON);
    EXPECT_EQ(window.Text(IDC_FILELINE), "File: [buffer]");
    EXPECT_EQ(window.Text(IDC_STATUS), "Ready.");
    window.Click(IDC_VERIFYBUTTON);
    ASSERT_EQ(window.boxes.shown.size(), 3u);
    EXPECT_EQ(window.boxes.shown[2].text, "Verify ok");

    // Saving over an existing file: the overwrite question is answered with Yes.
    WriteFileBytes(files.File("saved.bin"), {1, 2, 3});
    window.files.paths = {files.File("saved.bin")};
    window.boxes.answers = {IDYES};
    window.Click(IDC_SAVEBUTTON);
    ASSERT_EQ(window.boxes.shown.size(), 4u);
    EXPECT_EQ(window.boxes.shown[3].text, "File exist. Overwrite ?");
    EXPECT_EQ(window.boxes.shown[3].style, MB_YESNO | MB_ICONSTOP);
    EXPECT_EQ(ReadFileBytes(files.File("saved.bin")), Head(image, 128));
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 128 bytes");
    EXPECT_EQ(window.Text(IDC_HWSTAT), "Hardware v2.1");

    window->Window().close();
    EXPECT_FALSE(dlg.hComm.IsOpen());
    sim.Stop();
    std::vector<std::uint8_t> expected = Head(image, 128);
    expected.insert(expected.end(), chip.begin() + 128, chip.end());
    EXPECT_EQ(sim.Dump(), expected);
    EXPECT_EQ(CountCommands(sim.Trace(), "46"), 1);
}

TEST(Busy, CloseRequestsClicksKeysAndListChoicesDuringAReadChangeNothing) {
    // Two milliseconds a byte make a Read of about a second.
    SimulatorProcess sim({"--chip", "24C02", "--delay-ms", "2"});
    sim.ServeAsPort(2);
    ShownWindow window;
    TemplateDialog& dialog = window->Window();
    bool finished = false;
    QObject::connect(&dialog, &QDialog::finished, [&] { finished = true; });

    bool ranDuringRead = false;
    QString actionLineThen;
    QTimer::singleShot(300, [&] {
        ranDuringRead = window->Guard().Busy();
        actionLineThen = window.Text(IDC_STATUS);
        dialog.close();
        QCloseEvent fromDesktop;
        QApplication::sendEvent(&dialog, &fromDesktop);
        EXPECT_FALSE(fromDesktop.isAccepted());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        window.Click(IDC_SAVEBUTTON);
        window.Click(IDC_READBUTTON);
        QTest::keyClick(&window.List(IDC_PORTCOMBO), Qt::Key_Down);
        QTest::keyClick(&window.List(IDC_DEVICECOMBO), Qt::Key_Down);
    });
    window.Click(IDC_READBUTTON);

    EXPECT_TRUE(ranDuringRead) << "the window did not answer while the Read ran";
    EXPECT_TRUE(actionLineThen.startsWith("Reading... ")) << actionLineThen.toStdString();
    EXPECT_FALSE(finished);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(window->Dialog().hComm.IsOpen());
    EXPECT_EQ(window.files.saves, 0);
    EXPECT_EQ(window.List(IDC_PORTCOMBO).currentIndex(), 1);
    EXPECT_EQ(window.List(IDC_DEVICECOMBO).currentIndex(), 2);
    EXPECT_EQ(window->Dialog().device, 2);
    EXPECT_EQ(window.Text(IDC_STATUS), "Ready.");
    const std::vector<std::string> trace = SettledTrace(sim.File("trace"));
    EXPECT_EQ(CountCommands(trace, "52"), 256) << "one Read, not two";
    EXPECT_EQ(CountCommands(trace, "46"), 1) << "no detection";

    // Afterwards the window takes input again.
    window.Click(IDC_SAVEBUTTON);
    EXPECT_EQ(window.files.saves, 1);
    dialog.close();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(window->Dialog().hComm.IsOpen());
}

}  // namespace
