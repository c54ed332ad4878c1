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
#include "window/FileDialogs.h"
#include "window/MessageBoxes.h"
#include "window/PathLine.h"

namespace korvel {

namespace {

// File types become Qt's name filters, with patterns Qt understands; Save gives a name without
// extension the extension of its file type.
TEST(FileFilters, BecomeQtNameFiltersAndGiveNamesToSaveTheirExtension) {
    const std::vector<FileFilter> binary = {{"Binary files (*.bin)", {"*.bin"}}};
    EXPECT_EQ(NameFilters({binary[0], {"All files (*.*)", {"*"}}}),
              (QStringList{"Binary files (*.bin)", "All files (*)"}));
    EXPECT_EQ(NameFilters({{"Images", {"*.bin", "*.rom"}}}), (QStringList{"Images (*.bin *.rom)"}));

    const std::pair<const char*, const char*> names[] = {
        {"/home/user/dump", "/home/user/dump.bin"},
        {"/home/user/dump.BIN", "/home/user/dump.BIN"},
        {"/home/user/dump.", "/home/user/dump."},
        {"/home/user.old/dump", "/home/user.old/dump.bin"},
        {"/home/user/.eeprom", "/home/user/.eeprom.bin"},
        {"", ""},  // a cancel
    };
    for (const auto& [chosen, saved] : names) {
        EXPECT_EQ(NameToSave(chosen, binary), saved) << chosen;
    }
    // A type that lists every file names no extension.
    EXPECT_EQ(NameToSave("/home/user/dump", {{"All files (*.*)", {"*"}}}), "/home/user/dump");
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

// The style chooses the buttons and the icon, the button pressed comes back, and the box is wide
// enough for its title and the window buttons.
TEST(MessageBoxes, StyleFlagsChooseButtonsAndIconAndEveryBoxFitsItsTitle) {
    // Window managers often draw titles in bold.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    // A title bar also holds the window icon and three buttons, each at least a small icon wide.
    constexpr int kButtonsWidth = 4 * 16;
    struct Box {
        unsigned style;
        const char* text;
        const char* title;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        int answer;  // Yes by Enter, for it is the default; the others by their buttons
    };
    const QMessageBox::StandardButtons ok = QMessageBox::Ok,
                                       yesNo = QMessageBox::Yes | QMessageBox::No;
    const Box boxes[] = {
        {MB_OK, "Verify ok", "Verify", QMessageBox::NoIcon, ok, IDOK},
        {MB_OK, "Device is blank", "Blank check", QMessageBox::NoIcon, ok, IDOK},
        {MB_OK | MB_ICONEXCLAMATION, "<b>", "Warning", QMessageBox::Warning, ok, IDOK},
        {MB_YESNO | MB_ICONSTOP, "<b>", "Warning", QMessageBox::Critical, yesNo, IDYES},
        {MB_YESNO | MB_ICONSTOP, "<b>", "Warning", QMessageBox::Critical, yesNo, IDNO},
    };
    QDialog owner;
    owner.show();
    QtMessageBoxPresenter presenter;
    for (const Box& box : boxes) {
        const int needed = QFontMetrics(titleFont).horizontalAdvance(box.title) + kButtonsWidth;
        QTimer::singleShot(0, &owner, [&box, needed] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->icon(), box.icon);
            EXPECT_EQ(shown->standardButtons(), box.buttons);
            EXPECT_EQ(shown->textFormat(), Qt::PlainText);
            EXPECT_GE(shown->minimumWidth(), needed) << box.title;
            EXPECT_GE(shown->width(), needed) << box.title;
            if (box.answer == IDYES) {
                QTest::keyClick(shown, Qt::Key_Return);
            } else {
                shown->button(box.answer == IDNO ? QMessageBox::No : QMessageBox::Ok)->click();
            }
        });
        EXPECT_EQ(presenter.Show(owner, box.text, box.title, box.style), box.answer) << box.title;
    }
}

// The question before closing: Save, Discard and Cancel, Save the default and Esc a cancel.
TEST(MessageBoxes, SaveDiscardOrCancelAnswersYesNoOrCancel) {
    QDialog owner;
    owner.show();
    QtMessageBoxPresenter presenter;
    const std::pair<QMessageBox::StandardButton, int> presses[] = {
        {QMessageBox::Save, IDYES},
        {QMessageBox::Discard, IDNO},
        {QMessageBox::Cancel, IDCANCEL},
        {QMessageBox::NoButton, IDCANCEL},  // Esc
    };
    for (const auto& [press, answer] : presses) {
        QTimer::singleShot(0, &owner, [press = press] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->standardButtons(),
                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            EXPECT_EQ(shown->defaultButton(), shown->button(QMessageBox::Save));
            EXPECT_EQ(shown->icon(), QMessageBox::Warning);
            if (press == QMessageBox::NoButton) {
                QTest::keyClick(shown, Qt::Key_Escape);
            } else {
                shown->button(press)->click();
            }
        });
        EXPECT_EQ(presenter.Show(owner, "Buffer not saved !\nSave it before closing ?", "Warning",
                                 MB_SAVEDISCARDCANCEL | MB_ICONEXCLAMATION),
                  answer);
    }
}

// A question asked aside returns at once and leaves its box open, modal to its owner only, while
// the work goes on; the answer comes when a button is pressed, and never for a withdrawn one.
TEST(MessageBoxes, AQuestionAsideIsAnsweredLaterOrWithdrawn) {
    QDialog owner;
    owner.show();
    QtMessageBoxPresenter presenter;
    std::vector<int> answers;
    const auto openBox = [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (box != nullptr && box->isVisible()) {
                return box;
            }
        }
        return static_cast<QMessageBox*>(nullptr);
    };
    const auto ask = [&] {
        presenter.Ask(owner, "Stop the operation ?", "Warning", MB_YESNO | MB_ICONEXCLAMATION,
                      [&answers](int answer) { answers.push_back(answer); });
        return openBox();
    };

    QMessageBox* box = ask();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ((QStringList{box->windowTitle(), box->text()}),
              (QStringList{"Warning", "Stop the operation ?"}));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(answers.empty());
    box->button(QMessageBox::Yes)->click();
    EXPECT_EQ(answers, std::vector<int>{IDYES});

    box = ask();
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(answers, (std::vector<int>{IDYES, IDNO}));

    ASSERT_NE(ask(), nullptr);
    presenter.Withdraw();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openBox(), nullptr);
    EXPECT_EQ(answers, (std::vector<int>{IDYES, IDNO}));
}

}  // namespace

}  // namespace korvel
