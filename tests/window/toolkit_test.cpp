// The toolkit glue on its own: file filters, message box looks, the status-text push, the
// list binding and the command button widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialog/DialogHost.h"
#include "dialog/TextFormat.h"
#include "platform/qt/ComboBinding.h"
#include "platform/qt/CommandButtonWidget.h"
#include "platform/qt/FileDialogBinding.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/QtDialogHost.h"
#include "tests/window/ScriptedServices.h"

namespace {

TEST(FileFilters, BecomeQtNameFiltersWithPatternsQtUnderstands) {
    CCommonDialog1 files;
    files.SetFilter("Binary files (*.bin)|*.bin|All files (*.*)|*.*");
    EXPECT_EQ(NameFilters(files.Filters()), (QStringList{"Binary files (*.bin)", "All files (*)"}));
    files.SetFilter("Images|*.bin;*.rom");
    EXPECT_EQ(NameFilters(files.Filters()), (QStringList{"Images (*.bin *.rom)"}));
}

TEST(MessageBoxLooks, FollowTheStyleFlags) {
    const MessageBoxLook plain = LookOfStyle(MB_OK);
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    EXPECT_EQ(plain.buttons, QMessageBox::Ok);
    EXPECT_EQ(LookOfStyle(MB_OK | MB_ICONSTOP).icon, QMessageBox::Critical);
    EXPECT_EQ(LookOfStyle(MB_OK | MB_ICONSTOP).buttons, QMessageBox::Ok);
    const MessageBoxLook question = LookOfStyle(MB_YESNO | MB_ICONSTOP);
    EXPECT_EQ(question.icon, QMessageBox::Critical);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(LookOfStyle(MB_OK | MB_ICONEXCLAMATION).icon, QMessageBox::Warning);
    EXPECT_EQ(AnswerOf(QMessageBox::Yes), IDYES);
    EXPECT_EQ(AnswerOf(QMessageBox::No), IDNO);
    EXPECT_EQ(AnswerOf(QMessageBox::Ok), IDOK);
}

TEST(MessageBoxes, ShowTheTextAsPlainLinesAndReturnThePressedButton) {
    QDialog owner;
    owner.show();
    QtMessageBoxPresenter presenter;
    QString shownText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        EXPECT_EQ(box->windowTitle(), "Warning");
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(
        presenter.Show(owner, "File exist. Overwrite ?\n<b>", "Warning", MB_YESNO | MB_ICONSTOP),
        IDNO);
    EXPECT_EQ(shownText, "File exist. Overwrite ?\n<b>");
}

struct Labels {
    Labels() {
        for (QLabel* label : {&action, &file, &size, &hardware}) {
            label->setParent(&window);
        }
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    StatusLabels Bound() { return {&action, &file, &size, &hardware}; }

    QWidget window;
    QLabel action, file, size, hardware;
};

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

TEST(StatusPush, PaintsTheActionLineOncePerChangeEvenForA24C256) {
    Labels labels;
    ScriptedBoxes boxes;
    int pushes = 0;
    QtDialogHost host(labels.window, labels.Bound(), boxes, [&] { ++pushes; });
    PaintCounter counter(labels.action);
    constexpr int kSize = 32768;
    for (int a = 0; a < kSize; ++a) {
        host.ShowStatusTexts({FormatText("Reading... %d%% done", (a + 1) * 100 / kSize),
                              "File: [buffer]", "Size: 32768 bytes", "Hardware v2.1"});
    }
    host.ShowStatusTexts({"Ready.", "File: [buffer]", "Size: 32768 bytes", "Hardware v2.1"});
    EXPECT_EQ(pushes, kSize + 1);
    // 0 % to 100 % and "Ready.": painted while the loop runs, not once per address.
    EXPECT_EQ(host.ActionRepaints(), 102);
    EXPECT_GE(counter.paints, 102);
    EXPECT_LE(counter.paints, 110);
    EXPECT_EQ(labels.action.text(), "Ready.");
}

TEST(StatusPush, ShowsEveryTextAsPlainTextAndCutsTheHardwareLine) {
    Labels labels;
    ScriptedBoxes boxes;
    QtDialogHost host(labels.window, labels.Bound(), boxes, [] {});
    host.ShowStatusTexts({"Ready.", "File: /tmp/<b>.bin", "Size: 16 bytes",
                          "Hardware v\xE9<i>and a lot more than twenty"});
    EXPECT_EQ(labels.file.text(), "File: /tmp/<b>.bin");
    EXPECT_EQ(labels.hardware.text(), QString::fromUtf8("Hardware v\u00e9<i>and a "));
    EXPECT_EQ(labels.hardware.text().size(), kHardwareLineLimit);
    EXPECT_EQ(host.ShowMessageBox("Verify ok", "Verify", MB_OK), IDOK);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Verify");
}

TEST(ListBinding, OnlyTheUsersChoiceComesBack) {
    QComboBox widget;
    korvel::CComboBox list(true);
    std::vector<int> chosen;
    ComboBinding binding(widget, list, [&](int index) { chosen.push_back(index); });
    list.AddString("COM2");
    list.AddString("COM1");
    list.SetCurSel(1);
    EXPECT_EQ(widget.count(), 2);
    EXPECT_EQ(widget.itemText(0), "COM1");
    EXPECT_EQ(widget.currentIndex(), 1);
    EXPECT_TRUE(chosen.empty());

    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QTest::keyClick(&widget, Qt::Key_Up);
    EXPECT_EQ(chosen, std::vector<int>{0});
    EXPECT_EQ(widget.currentIndex(), 0);
}

TEST(CommandButtonWidget, ClickReachesTheProxyOnlyWhileEnabledAndTakesNoFocus) {
    QWidget window;
    auto* other = new QComboBox(&window);
    auto* widget = new CommandButtonWidget("Read", QPixmap(32, 32), &window);
    widget->setGeometry(0, 40, 60, 60);
    CCommandButton proxy;
    int clicks = 0;
    proxy.SetClickHandler([&] { ++clicks; });
    widget->Attach(proxy);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    other->setFocus();

    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(other->hasFocus());
    proxy.SetEnabled(false);
    EXPECT_FALSE(widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    proxy.SetEnabled(true);
    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    proxy.Bind(nullptr);
}

}  // namespace
