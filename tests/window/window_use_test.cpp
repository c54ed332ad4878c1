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

#include "dialog/ControlIds.h"
#include "tests/support/TempDir.h"
#include "tests/window/WindowFixture.h"

namespace korvel {

namespace {

// The file line shows what it can, and the whole line on the mouse.
struct FileLine {
    QString shown;
    QString tooltip;
    bool fits;
};

FileLine FileLineAfterOpening(ShownWindow& window, const std::string& path) {
    window.user.paths = {path};
    window.Click(IDC_OPENBUTTON);
    const auto* label = static_cast<QLabel*>(window.Control(IDC_FILELINE));
    return {label->text(), label->toolTip(),
            label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width()};
}

TEST(FileLine, ALongPathShowsTheFilesNameAndKeepsTheWholeLineAsTooltip) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    TempDir files;
    const std::filesystem::path folder =
        files.path() / "eeprom-images" / "customer-boards" / "thermostat-rev-b";
    std::filesystem::create_directories(folder);
    const std::string dump = (folder / "dump.bin").string();
    const std::string longName =
        (folder / "thermostat-board-before-the-firmware-update-of-march.bin").string();
    WriteFileBytes(dump, {1, 2, 3});
    WriteFileBytes(longName, {1, 2, 3});
    ShownWindow window;
    // The file name is shown in lower case; the temporary folder's name has capitals.
    const auto line = [](const std::string& path) {
        return "File: " + QString::fromStdString(path).toLower();
    };

    const FileLine directories = FileLineAfterOpening(window, dump);
    EXPECT_TRUE(directories.shown.startsWith("File: /")) << directories.shown.toStdString();
    EXPECT_TRUE(directories.shown.endsWith("\u2026/dump.bin")) << directories.shown.toStdString();
    EXPECT_TRUE(directories.fits) << directories.shown.toStdString();
    EXPECT_EQ(directories.tooltip, line(dump));

    // A name too long for the line keeps its end, and shows that its start is left out.
    const FileLine name = FileLineAfterOpening(window, longName);
    EXPECT_TRUE(name.shown.startsWith("File: \u2026")) << name.shown.toStdString();
    EXPECT_TRUE(name.shown.endsWith("-of-march.bin")) << name.shown.toStdString();
    EXPECT_TRUE(line(longName).endsWith(name.shown.mid(7))) << name.shown.toStdString();
    EXPECT_TRUE(name.fits) << name.shown.toStdString();
    EXPECT_EQ(name.tooltip, line(longName));
}

TEST(Keyboard, EnterPressesTheFocusedButtonAndEndsTheDialogFromAList) {
    SimulatorProcess sim({"--chip", "24C02"});
    sim.ServeAsPort(2);
    ShownWindow window;
    TemplateDialog& dialog = window->Window();
    bool finished = false;
    QObject::connect(&dialog, &QDialog::finished, [&] { finished = true; });
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const auto press = [&](int id, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        window.Control(id)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };

    // Return, the keypad's Enter and Space each press the button that has the focus.
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::KeyboardModifiers()},
                                         {Qt::Key_Enter, Qt::KeypadModifier},
                                         {Qt::Key_Space, Qt::KeyboardModifiers()}}) {
        press(IDC_SAVEBUTTON, key, modifiers);
        ASSERT_FALSE(finished) << key;
    }
    EXPECT_EQ(window.user.shown, std::vector<std::string>(3, "save *.bin"));
    press(IDC_READBUTTON, Qt::Key_Return);
    EXPECT_EQ(CountCommands(SettledTrace(sim), "52"), 256) << "one whole Read";
    ASSERT_FALSE(finished);

    // In a list, Enter ends the dialog.
    press(IDC_PORTCOMBO, Qt::Key_Return);
    EXPECT_TRUE(finished);
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
    ScriptedUser user;
    ScriptedBoxes boxes(user);
    KorvelWindow window(WindowServices{&boxes, nullptr});
    window.Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.Window()));
    auto* save = static_cast<QAbstractButton*>(window.Window().Control(IDC_SAVEBUTTON));
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
