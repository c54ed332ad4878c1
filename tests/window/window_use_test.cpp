// The main window as people use it: long paths on the file line, Enter on the buttons and
// lists, and names typed into Save's file dialog.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <tuple>

#include "resources/ControlIds.h"
#include "tests/window/WindowFixture.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

TEST(FileLine, ALongPathShowsTheFilesNameAndKeepsTheWholeLineAsTooltip) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    TempDir files;
    const std::filesystem::path folder =
        files.path() / "eeprom-images" / "customer-boards" / "thermostat-rev-b";
    std::filesystem::create_directories(folder);
    ShownWindow window;
    const auto* label = static_cast<QLabel*>(window.Control(IDC_FILELINE));
    // A file's name, and how the line shows it: directories left out of the middle; a name too
    // long for the line keeps its end, and shows that its start is left out.
    const std::tuple<const char*, const char*, const char*> opened[] = {
        {"dump.bin", "File: /", "\u2026/dump.bin"},
        {"thermostat-board-before-the-firmware-update-of-march.bin", "File: \u2026",
         "-of-march.bin"},
    };
    for (const auto& [name, start, end] : opened) {
        const std::string path = (folder / name).string();
        WriteFileBytes(path, {1, 2, 3});
        window.user.paths = {path};
        window.Click(IDC_OPENBUTTON);
        const QString shown = label->text();
        // The file name is shown in lower case; the temporary folder's name has capitals.
        const QString line = "File: " + QString::fromStdString(path).toLower();
        EXPECT_TRUE(shown.startsWith(start) && shown.endsWith(end)) << shown.toStdString();
        EXPECT_TRUE(line.endsWith(shown.mid(shown.indexOf(QChar(0x2026)) + 1)));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
        EXPECT_EQ(label->toolTip(), line);
    }
}

TEST(Keyboard, EnterPressesTheFocusedButtonAndEndsTheDialogFromAList) {
    SimulatorProcess sim({"--chip", "24C02"});
    ShownWindow window;
    ASSERT_TRUE(window.Activate());
    const auto press = [&](int id, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        window.Control(id)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };

    // Return, the keypad's Enter and Space each press the button that has the focus.
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::KeyboardModifiers()},
                                         {Qt::Key_Enter, Qt::KeypadModifier},
                                         {Qt::Key_Space, Qt::KeyboardModifiers()}}) {
        press(IDC_SAVEBUTTON, key, modifiers);
        ASSERT_FALSE(window.Finished()) << key;
    }
    EXPECT_EQ(window.user.shown, std::vector<std::string>(3, "save *.bin *.hex *.srec *"));
    press(IDC_READBUTTON, Qt::Key_Return);
    EXPECT_EQ(CountCommands(SettledTrace(sim), "52"), 256) << "one whole Read";
    ASSERT_FALSE(window.Finished());

    // In a list, Enter ends the dialog.
    press(IDC_PORTCOMBO, Qt::Key_Return);
    EXPECT_TRUE(window.Finished());
}

// In the file dialog that is open, goes to the folder and types the name, as a user does, and
// presses Enter.
void TypeIntoFileDialog(const std::filesystem::path& folder, const char* name) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(QString::fromStdString(folder.string()));
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, QString::fromLatin1(name));
    QTest::keyClick(field, Qt::Key_Return);
}

TEST(SaveDialog, ANameWithoutExtensionIsSavedAsBinAndAskedAboutUnderThatName) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    TempDir files;
    WriteFileBytes(files.File("dump.bin"), {1, 2, 3});
    ShownWindow window(true);
    ScriptedUser& user = window.user;
    auto* save = static_cast<QAbstractButton*>(window.Control(IDC_SAVEBUTTON));
    const std::vector<std::uint8_t> image(256, 0xFF);

    // "dump" is written as the existing dump.bin, after the question, which is answered Yes.
    QTimer::singleShot(0, [&] { TypeIntoFileDialog(files.path(), "dump"); });
    save->click();
    EXPECT_EQ(user.shown, std::vector<std::string>{"Warning 20: File exist. Overwrite ?"});
    EXPECT_EQ(ReadFileBytes(files.File("dump.bin")), image);
    EXPECT_FALSE(std::filesystem::exists(files.File("dump")));

    // Any extension stays as typed.
    user.shown.clear();
    QTimer::singleShot(0, [&] { TypeIntoFileDialog(files.path(), "image.rom"); });
    save->click();
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(ReadFileBytes(files.File("image.rom")), image);
    EXPECT_FALSE(std::filesystem::exists(files.File("image.rom.bin")));
}

}  // namespace

}  // namespace korvel
