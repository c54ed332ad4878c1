// The toolkit glue on its own: file filters and message boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialog/DialogHost.h"
#include "platform/qt/FileDialogBinding.h"
#include "platform/qt/MessageBoxes.h"

namespace {

TEST(FileFilters, BecomeQtNameFiltersWithPatternsQtUnderstands) {
    CCommonDialog1 files;
    files.SetFilter("Binary files (*.bin)|*.bin|All files (*.*)|*.*");
    EXPECT_EQ(NameFilters(files.Filters()), (QStringList{"Binary files (*.bin)", "All files (*)"}));
    files.SetFilter("Images|*.bin;*.rom");
    EXPECT_EQ(NameFilters(files.Filters()), (QStringList{"Images (*.bin *.rom)"}));
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

}  // namespace
