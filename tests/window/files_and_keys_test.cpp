// What the window reads and writes besides raw images, the Buffer button's viewer that cannot
// start, the keys and tooltips of the buttons, the names of the lists and the pictures at 2x.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <numeric>

#include "resources/ControlIds.h"
#include "tests/support/ToolRun.h"
#include "tests/window/WindowFixture.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

using Texts = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

void WriteText(const std::string& path, const std::string& text) {
    WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

// What the image holds at addresses 0x10 to 0x13 and 0x00.
Bytes Probe(ShownWindow& window) {
    const ImageBuffer& image = window->Dialog().Core().Image();
    return {image[0x10], image[0x11], image[0x12], image[0x13], image[0x00]};
}

// Open takes the format from the name, as korvel-cli does: records load into an erased image,
// a .hex that holds no Intel HEX is refused and changes nothing, and a .bin is raw whatever it
// holds.
TEST(ImageFormats, OpenReadsTheFormatTheNameSaysAndRefusesAHexFileOfOtherText) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    TempDir files;
    WriteText(files.File("dump.hex"), ":0400100001020304E2\n:00000001FF\n");
    WriteText(files.File("dump.S19"), "S107001005060708CE\n");
    WriteText(files.File("notes.hex"), "hello world\n");
    WriteText(files.File("records.bin"), ":00000001FF\n");
    ShownWindow window;
    window->Dialog().Core().PutImage(0, Bytes(20, 0x00));
    const auto open = [&window](const std::string& path) {
        window.user.paths = {path};
        window.user.shown.clear();
        window.Click(IDC_OPENBUTTON);
        return window.user.shown;
    };
    const auto fileLine = [&window] {
        return static_cast<QLabel*>(window.Control(IDC_FILELINE))->toolTip().toStdString();
    };
    const auto lower = [](const std::string& path) {
        return QString::fromStdString(path).toLower().toStdString();
    };

    EXPECT_EQ(open(files.File("dump.hex")), Texts{"open *.bin *.hex *.srec *"});
    EXPECT_EQ(Probe(window), (Bytes{0x01, 0x02, 0x03, 0x04, 0xFF}));
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 20 bytes");
    EXPECT_EQ(open(files.File("dump.S19")), Texts{"open *.bin *.hex *.srec *"});
    EXPECT_EQ(Probe(window), (Bytes{0x05, 0x06, 0x07, 0x08, 0xFF}));
    EXPECT_EQ(fileLine(), "File: " + lower(files.File("dump.s19")));

    EXPECT_EQ(open(files.File("notes.hex")),
              (Texts{"open *.bin *.hex *.srec *",
                     "Error 16: Not an image file !\nline 1: not a record"}));
    EXPECT_EQ(Probe(window), (Bytes{0x05, 0x06, 0x07, 0x08, 0xFF}));
    EXPECT_EQ(fileLine(), "File: " + lower(files.File("dump.s19")));

    open(files.File("records.bin"));
    EXPECT_EQ(Probe(window), (Bytes{0x05, 0x06, 0x07, 0x08, ':'}));
    EXPECT_EQ(window.Text(IDC_SIZELINE), "Size: 12 bytes");
    unsetenv("KORVEL_COM2");
}

// In the file dialog that is open, chooses the file type, goes to the folder and types the name,
// as a user does, and presses Enter.
void TypeIntoFileDialog(const QString& type, const std::filesystem::path& folder,
                        const char* name) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList{"Binary files (*.bin)", "Intel HEX (*.hex *.ihex *.eep)",
                           "S-records (*.srec *.s19 *.mot)", "All files (*)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), "Binary files (*.bin)");
    dialog->selectNameFilter(type);
    dialog->setDirectory(QString::fromStdString(folder.string()));
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, QString::fromLatin1(name));
    QTest::keyClick(field, Qt::Key_Return);
}

// Save writes the format of the name's extension, or of the file type chosen for a name typed
// without one; what it writes, srec_cat reads.
TEST(ImageFormats, SaveWritesTheFormatOfTheExtensionOrOfTheFileTypeChosen) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    TempDir files;
    Bytes image(16);
    std::iota(image.begin(), image.end(), 0);
    WriteFileBytes(files.File("image.bin"), image);
    const std::string intelHex = ":10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n";

    ShownWindow window(true);
    window.Choose(IDC_DEVICECOMBO, 0);  // 24C00, 16 bytes
    auto* open = static_cast<QToolButton*>(window.Control(IDC_OPENBUTTON));
    auto* save = static_cast<QToolButton*>(window.Control(IDC_SAVEBUTTON));
    QTimer::singleShot(0, [&] { TypeIntoFileDialog("All files (*)", files.path(), "image.bin"); });
    open->click();
    ASSERT_EQ(window.Text(IDC_SIZELINE), "Size: 16 bytes");

    const std::pair<QString, const char*> saves[] = {
        {"Intel HEX (*.hex *.ihex *.eep)", "typed"},  // becomes typed.hex
        {"Binary files (*.bin)", "named.hex"},        // the extension decides
        {"S-records (*.srec *.s19 *.mot)", "typed"},  // becomes typed.srec
        {"All files (*)", "plain"},                   // no extension: raw
    };
    for (const auto& [type, name] : saves) {
        QTimer::singleShot(
            0, [&, type = type, name = name] { TypeIntoFileDialog(type, files.path(), name); });
        save->click();
    }
    EXPECT_TRUE(window.user.shown.empty());
    EXPECT_EQ(ReadFileText(files.File("typed.hex")), intelHex);
    EXPECT_EQ(ReadFileText(files.File("named.hex")), intelHex);
    EXPECT_EQ(ReadFileBytes(files.File("plain")), image);
    if (!OnPath("srec_cat")) {
        GTEST_SKIP() << "srecord is not installed";
    }
    const ToolRun run = RunTool({"srec_cat", files.File("typed.srec"), "-motorola", "-o",
                                 files.File("back.bin"), "-binary"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(files.File("back.bin")), image);
    unsetenv("KORVEL_COM2");
}

// The listing is written all the same; the box says why the viewer did not start and where the
// listing is.
TEST(BufferButton, AViewerThatCannotStartSaysSoAndWhereTheListingIs) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    setenv("KORVEL_VIEWER", "/usr/lib/korvel-no-such-viewer", 1);
    TempDir temp;
    setenv("TEMP", temp.path().c_str(), 1);
    ShownWindow window;
    unsetenv("TEMP");
    window.Click(IDC_BUFFERBUTTON);
    unsetenv("KORVEL_VIEWER");
    EXPECT_EQ(window.user.shown,
              Texts{"Error 16: Can't start the viewer !\n/usr/lib/korvel-no-such-viewer: No such "
                    "file or directory\nThe listing is in " +
                    temp.File("BUFFER.TXT")});
    EXPECT_TRUE(std::filesystem::exists(temp.File("BUFFER.TXT")));
    EXPECT_EQ(window.Text(IDC_STATUS), "Ready.");
    unsetenv("KORVEL_COM2");
}

// Captions as they were, a tooltip that says what each button does and which key presses it, and
// names for the lists that show only their value.
TEST(Keys, CtrlAndALetterPressTheButtonsWhoseTooltipsNameTheKey) {
    setenv("KORVEL_VIEWER", "true", 1);
    TempDir temp;
    setenv("TEMP", temp.path().c_str(), 1);
    SimulatorProcess sim({"--chip", "24C02"});
    ShownWindow window;
    unsetenv("TEMP");
    QStringList shown;
    for (const int id : {IDC_OPENBUTTON, IDC_SAVEBUTTON, IDC_READBUTTON, IDC_WRITEBUTTON,
                         IDC_BLANKBUTTON, IDC_ERASEBUTTON, IDC_VERIFYBUTTON, IDC_BUFFERBUTTON}) {
        const auto* button = static_cast<QToolButton*>(window.Control(id));
        shown << button->text() + ": " + button->toolTip();
    }
    EXPECT_EQ(shown, (QStringList{"Open: Load an image file into the buffer (Ctrl+O)",
                                  "Save: Save the buffer to a file (Ctrl+S)",
                                  "Read: Read the chip into the buffer (Ctrl+R)",
                                  "Write: Write the buffer into the chip (Ctrl+W)",
                                  "Blank: Check that every byte of the chip is FFh (Ctrl+B)",
                                  "Erase: Write FFh into every byte of the chip",
                                  "Verify: Compare the chip with the buffer (Ctrl+E)",
                                  "Buffer: Show the buffer as a hex listing (Ctrl+L)"}));
    EXPECT_EQ(window.List(IDC_DEVICECOMBO).accessibleName(), "Device");
    EXPECT_EQ(window.List(IDC_PORTCOMBO).accessibleName(), "Port");

    ASSERT_TRUE(window.Activate());
    const auto press = [&](Qt::Key key) {
        window.user.shown.clear();
        QTest::keyClick(&window->Window(), key, Qt::ControlModifier);
        const std::vector<std::string> trace = SettledTrace(sim);
        Texts effects = window.user.shown;
        effects.push_back(std::to_string(CountCommands(trace, "52")) + " reads, " +
                          std::to_string(CountCommands(trace, "57")) + " writes");
        return effects;
    };
    EXPECT_EQ(press(Qt::Key_O), (Texts{"open *.bin *.hex *.srec *", "0 reads, 0 writes"}));
    EXPECT_EQ(press(Qt::Key_S), (Texts{"save *.bin *.hex *.srec *", "0 reads, 0 writes"}));
    EXPECT_EQ(press(Qt::Key_R), (Texts{"256 reads, 0 writes"}));
    EXPECT_EQ(press(Qt::Key_E), (Texts{"Verify 0: Verify ok", "512 reads, 0 writes"}));
    EXPECT_EQ(press(Qt::Key_B), (Texts{"Blank check 0: Device is blank", "768 reads, 0 writes"}));
    EXPECT_EQ(press(Qt::Key_W), (Texts{"768 reads, 256 writes"}));
    EXPECT_FALSE(std::filesystem::exists(temp.File("BUFFER.TXT")));
    EXPECT_EQ(press(Qt::Key_L), (Texts{"768 reads, 256 writes"}));
    EXPECT_TRUE(std::filesystem::exists(temp.File("BUFFER.TXT")));
    unsetenv("KORVEL_VIEWER");

    // Without a board the keys of the chip operations do nothing, as their buttons.
    setenv("KORVEL_COM3", "/dev/korvel-no-such-port", 1);
    window.Choose(IDC_PORTCOMBO, 2);
    ASSERT_TRUE(window.Activate());
    EXPECT_EQ(press(Qt::Key_R), (Texts{"768 reads, 256 writes"}));
    unsetenv("KORVEL_COM3");
}

// Each button holds its picture as drawn at 32 pixels and as drawn at 64, for a screen at twice
// the scale, rather than the small one scaled up.
TEST(Pictures, EachButtonHoldsItsPictureDrawnAtTwiceTheSize) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    const std::pair<int, const char*> buttons[] = {
        {IDC_OPENBUTTON, "open"},     {IDC_SAVEBUTTON, "save"},     {IDC_READBUTTON, "read"},
        {IDC_WRITEBUTTON, "write"},   {IDC_BLANKBUTTON, "blank"},   {IDC_ERASEBUTTON, "erase"},
        {IDC_VERIFYBUTTON, "verify"}, {IDC_BUFFERBUTTON, "buffer"},
    };
    const auto image = [](const QString& file) {
        return QImage(":/pictures/" + file).convertToFormat(QImage::Format_ARGB32);
    };
    for (const auto& [id, name] : buttons) {
        const QIcon icon = static_cast<QToolButton*>(window.Control(id))->icon();
        const QImage large = icon.pixmap(QSize(32, 32), 2.0).toImage();
        EXPECT_EQ(large.size(), QSize(64, 64)) << name;
        EXPECT_EQ(large.convertToFormat(QImage::Format_ARGB32),
                  image(QString::fromLatin1(name) + "@2x.xpm"))
            << name;
        EXPECT_EQ(icon.pixmap(QSize(32, 32), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
                  image(QString::fromLatin1(name) + ".xpm"))
            << name;
    }
    unsetenv("KORVEL_COM2");
}

}  // namespace

}  // namespace korvel
