// The toolkit glue on its own: file filters, the name Save writes, the file line's shortening
// and message boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialog/DialogHost.h"
#include "window/FileDialogBinding.h"
#include "window/MessageBoxes.h"
#include "window/PathLine.h"

namespace korvel {

namespace {

TEST(FileFilters, BecomeQtNameFiltersWithPatternsQtUnderstands) {
    CCommonDialog1 files;
    files.SetFilter("Binary files (*.bin)|*.bin|All files (*.*)|*.*");
    EXPECT_EQ(NameFilters(files.Filters()), (QStringList{"Binary files (*.bin)", "All files (*)"}));
    files.SetFilter("Images|*.bin;*.rom");
    EXPECT_EQ(NameFilters(files.Filters()), (QStringList{"Images (*.bin *.rom)"}));
}

TEST(FileFilters, SaveGivesANameWithoutExtensionTheExtensionOfItsFileType) {
    CCommonDialog1 files;
    files.SetFilter("Binary files (*.bin)|*.bin");
    const std::pair<const char*, const char*> names[] = {
        {"/home/user/dump", "/home/user/dump.bin"},
        {"/home/user/dump.bin", "/home/user/dump.bin"},
        {"/home/user/dump.BIN", "/home/user/dump.BIN"},
        {"/home/user/dump.rom", "/home/user/dump.rom"},
        {"/home/user/dump.", "/home/user/dump."},
        {"/home/user.old/dump", "/home/user.old/dump.bin"},
        {"/home/user/.eeprom", "/home/user/.eeprom.bin"},
        {"dump", "dump.bin"},
        {"", ""},  // a cancel
    };
    for (const auto& [chosen, saved] : names) {
        EXPECT_EQ(NameToSave(chosen, files.Filters()), saved) << chosen;
    }
    // A type that lists every file names no extension.
    files.SetFilter("All files (*.*)|*.*");
    EXPECT_EQ(NameToSave("/home/user/dump", files.Filters()), "/home/user/dump");
}

TEST(PathLine, ALineTooLongLosesDirectoriesFromTheMiddleThenTheStartOfTheName) {
    // Every character one pixel wide: the widths below are lengths.
    const auto length = [](const QString& text) { return static_cast<int>(text.size()); };
    const QString line = "File: /home/user/eeprom/dump.bin";  // 32 characters
    const std::pair<int, QString> shown[] = {
        {32, "File: /home/user/eeprom/dump.bin"},
        {31, "File: /home/user/\u2026/dump.bin"},
        {26, "File: /home/\u2026/dump.bin"},
        {17, "File: /\u2026/dump.bin"},
        {16, "File: \u2026/dump.bin"},
        {12, "File: \u2026p.bin"},
        {7, "File: \u2026"},
    };
    for (const auto& [width, text] : shown) {
        EXPECT_EQ(ElidePathLine(line, width, length), text) << width;
    }
    EXPECT_EQ(ElidePathLine("File: /my documents/x.bin", 20, length), "File: /\u2026/x.bin");
}

TEST(MessageBoxes, StyleFlagsChooseButtonsAndIconAndThePressedButtonComesBack) {
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    // The button pressed is the one for the answer; Yes by Enter, for it is the default.
    const std::tuple<unsigned, QMessageBox::Icon, QMessageBox::StandardButtons, int> cases[] = {
        {MB_OK, QMessageBox::NoIcon, QMessageBox::Ok, IDOK},
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok, IDOK},
        {MB_YESNO | MB_ICONSTOP, QMessageBox::Critical, yesNo, IDYES},
        {MB_YESNO | MB_ICONSTOP, QMessageBox::Critical, yesNo, IDNO},
    };
    QDialog owner;
    owner.show();
    QtMessageBoxPresenter presenter;
    for (const auto& [style, icon, buttons, answer] : cases) {
        // Structured bindings are captured by copy: C++17 does not capture them otherwise.
        QTimer::singleShot(0, &owner, [icon = icon, buttons = buttons, answer = answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), icon);
            EXPECT_EQ(box->standardButtons(), buttons);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            if (answer == IDYES) {
                QTest::keyClick(box, Qt::Key_Return);
            } else {
                box->button(answer == IDNO ? QMessageBox::No : QMessageBox::Ok)->click();
            }
        });
        EXPECT_EQ(presenter.Show(owner, "File exist. Overwrite ?\n<b>", "Warning", style), answer)
            << style;
    }
}

TEST(MessageBoxes, AreWideEnoughForTheirTitlesAndTheWindowButtons) {
    // Window managers often draw titles in bold.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    // A title bar also holds the window icon and three buttons, each at least a small icon wide.
    constexpr int kButtonsWidth = 4 * 16;
    const std::pair<const char*, const char*> boxes[] = {
        {"Verify ok", "Verify"},
        {"Device is blank", "Blank check"},
        {"Write error !", "Write"},
        {"Transmission error !", "Error"},
        {"File exist. Overwrite ?", "Warning"},
    };
    QDialog owner;
    owner.show();
    QtMessageBoxPresenter presenter;
    for (const auto& [text, title] : boxes) {
        const int needed = QFontMetrics(titleFont).horizontalAdvance(title) + kButtonsWidth;
        QTimer::singleShot(0, &owner, [needed] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            EXPECT_GE(box->minimumWidth(), needed) << box->windowTitle().toStdString();
            EXPECT_GE(box->width(), needed) << box->windowTitle().toStdString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        presenter.Show(owner, text, title, MB_OK);
    }
}

}  // namespace

}  // namespace korvel
