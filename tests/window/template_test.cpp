// The windows built from templates 102 and 100: places, frames, texts and the tab order.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "app/CAboutDlg.h"
#include "dialog/ControlIds.h"
#include "dialog/ProgramInfo.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/window/WindowFixture.h"

namespace {

// Dialog units in pixels, worked out here from the font alone.
struct Expected {
    explicit Expected(const QFont& font) {
        const QFontMetrics metrics(font);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseX = (letters + 26) / 52;
        baseY = metrics.height();
    }
    int X(int units) const { return (units * baseX + 2) / 4; }
    int Y(int units) const { return (units * baseY + 4) / 8; }
    QRect Place(const ControlTemplate& c) const {
        return QRect(QPoint(X(c.x), Y(c.y)), QPoint(X(c.x + c.width) - 1, Y(c.y + c.height) - 1));
    }
    int baseX = 0;
    int baseY = 0;
};

void ExpectPlacedByTemplate(const TemplateDialog& window) {
    const DialogTemplate& t = window.Template();
    const Expected units(window.font());
    EXPECT_EQ(window.size(), QSize(units.X(t.width), units.Y(t.height)));
    ASSERT_EQ(window.Controls().size(), t.count);
    for (std::size_t i = 0; i < t.count; ++i) {
        const ControlTemplate& c = t.controls[i];
        const QWidget* widget = window.Controls()[i];
        if (c.kind == ControlKind::Picture) {
            EXPECT_EQ(widget->pos(), units.Place(c).topLeft()) << "picture";
        } else {
            EXPECT_EQ(widget->geometry(), units.Place(c)) << c.text << " #" << i + 1;
        }
        EXPECT_TRUE(window.rect().contains(widget->geometry())) << c.text;
    }
}

bool Frames(const QWidget* group, const QWidget* control) {
    return group->geometry().contains(control->geometry());
}

std::vector<int> TabCycleFrom(ShownWindow& window, int firstId) {
    window->Window().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window->Window()));
    window.Control(firstId)->setFocus(Qt::TabFocusReason);
    std::vector<int> visited;
    for (int step = 0; step < 20; ++step) {
        QWidget* focus = QApplication::focusWidget();
        int id = 0;
        for (int candidate = IDC_STATUS; candidate <= IDC_HWSTAT; ++candidate) {
            if (window.Control(candidate) == focus) {
                id = candidate;
            }
        }
        if (step > 0 && id == firstId) {
            break;
        }
        visited.push_back(id);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return visited;
}

TEST(MainTemplate, EveryControlSitsWhereTheTemplatePutsIt) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    TemplateDialog& dialog = window->Window();
    ExpectPlacedByTemplate(dialog);

    // A dialog font of 8 points gives units of a few pixels, not zero and not a dozen.
    const Expected units(dialog.font());
    EXPECT_GE(units.baseX, 4);
    EXPECT_LE(units.baseX, 10);
    EXPECT_GE(units.baseY, 9);
    EXPECT_LE(units.baseY, 20);

    // The resulting layout: the three groups frame what they name.
    const auto& all = dialog.Controls();
    const QWidget* fileGroup = all[9];
    const QWidget* actionGroup = all[11];
    const QWidget* portGroup = all[12];
    for (int id : {IDC_OPENBUTTON, IDC_SAVEBUTTON, IDC_FILELINE, IDC_SIZELINE}) {
        EXPECT_TRUE(Frames(fileGroup, window.Control(id))) << id;
    }
    for (int id : {IDC_READBUTTON, IDC_WRITEBUTTON, IDC_BLANKBUTTON, IDC_ERASEBUTTON,
                   IDC_VERIFYBUTTON, IDC_BUFFERBUTTON}) {
        EXPECT_TRUE(Frames(actionGroup, window.Control(id))) << id;
    }
    for (int id : {IDC_DEVICECOMBO, IDC_PORTCOMBO, IDC_HWSTAT}) {
        EXPECT_TRUE(Frames(portGroup, window.Control(id))) << id;
    }
    // Group boxes lie beneath and let clicks through to what they frame.
    EXPECT_EQ(dialog.childAt(window.Control(IDC_OPENBUTTON)->geometry().center()),
              window.Control(IDC_OPENBUTTON));
    EXPECT_FALSE(window.Control(IDC_FILEDIALOG)->isVisible());
}

TEST(MainTemplate, FrameCaptionTextsAndLists) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    TemplateDialog& dialog = window->Window();
    EXPECT_EQ(dialog.windowTitle(), "Korvel v3.0");
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(dialog.parentWidget(), nullptr);  // its own task-bar entry
    EXPECT_FALSE(dialog.windowIcon().isNull());
    EXPECT_EQ(dialog.windowIcon().availableSizes().value(0), QSize(32, 32));

    const auto& all = dialog.Controls();
    const auto title = [&](int index) { return static_cast<QGroupBox*>(all[index])->title(); };
    EXPECT_EQ(title(9), "File");
    EXPECT_EQ(title(11), "Action");
    // "&&" is how a title shows one ampersand; it makes no keyboard mnemonic.
    EXPECT_EQ(title(12), "Device && Port");
    EXPECT_TRUE(QKeySequence::mnemonic(title(12)).isEmpty());

    const auto caption = [&](int id) {
        return static_cast<QToolButton*>(window.Control(id))->text();
    };
    EXPECT_EQ(caption(IDC_OPENBUTTON), "Open");
    EXPECT_EQ(caption(IDC_VERIFYBUTTON), "Verify");
    EXPECT_EQ(caption(IDC_BUFFERBUTTON), "Buffer");
    const auto* read = static_cast<QToolButton*>(window.Control(IDC_READBUTTON));
    EXPECT_EQ(read->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_EQ(read->iconSize(), QSize(32, 32));
    EXPECT_DOUBLE_EQ(read->font().pointSizeF(), 8.25);
    EXPECT_EQ(read->focusPolicy(), Qt::TabFocus);

    const auto* action = static_cast<QLabel*>(window.Control(IDC_STATUS));
    EXPECT_EQ(action->frameShadow(), QFrame::Sunken);
    EXPECT_FALSE(action->wordWrap());
    EXPECT_TRUE(static_cast<QLabel*>(window.Control(IDC_HWSTAT))->wordWrap());

    for (int id : {IDC_DEVICECOMBO, IDC_PORTCOMBO}) {
        EXPECT_EQ(window.List(id).maxVisibleItems(), 4);
        EXPECT_FALSE(window.List(id).isEditable());
    }
    QComboBox& devices = window.List(IDC_DEVICECOMBO);
    ASSERT_EQ(devices.count(), 10);
    EXPECT_EQ(devices.itemText(0), "24C00");
    EXPECT_EQ(devices.itemText(9), "24C256");  // unsorted: catalogue order
    QComboBox& ports = window.List(IDC_PORTCOMBO);
    ASSERT_EQ(ports.count(), 4);
    EXPECT_EQ(ports.itemText(0), "COM1");
    EXPECT_EQ(ports.itemText(3), "COM4");

    // Opened, the device list shows four entries and scrolls to the rest.
    devices.showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(devices.view()->window()));
    const int row = devices.view()->sizeHintForRow(0);
    EXPECT_GE(devices.view()->viewport()->height(), 4 * row - 2);
    EXPECT_LT(devices.view()->viewport()->height(), 5 * row);
    devices.hidePopup();
}

TEST(MainTemplate, TabVisitsTheTemplateOrderAndSkipsDisabledButtons) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    {
        ShownWindow window;
        EXPECT_EQ(TabCycleFrom(window, IDC_OPENBUTTON),
                  (std::vector<int>{IDC_OPENBUTTON, IDC_SAVEBUTTON, IDC_BUFFERBUTTON,
                                    IDC_DEVICECOMBO, IDC_PORTCOMBO}));
    }
    SimulatorProcess sim({"--chip", "24C02"});
    sim.ServeAsPort(2);
    ShownWindow window;
    EXPECT_EQ(TabCycleFrom(window, IDC_OPENBUTTON),
              (std::vector<int>{IDC_OPENBUTTON, IDC_SAVEBUTTON, IDC_READBUTTON, IDC_WRITEBUTTON,
                                IDC_BLANKBUTTON, IDC_ERASEBUTTON, IDC_VERIFYBUTTON,
                                IDC_BUFFERBUTTON, IDC_DEVICECOMBO, IDC_PORTCOMBO}));
}

// Every fixed text shows whole on one line of its control.
void ExpectTextsFit(const TemplateDialog& window, const std::vector<QString>& moreForHardware) {
    for (std::size_t i = 0; i < window.Controls().size(); ++i) {
        const auto* label = qobject_cast<const QLabel*>(window.Controls()[i]);
        if (label == nullptr || label->text().isEmpty()) {
            continue;
        }
        std::vector<QString> texts = {label->text()};
        if (window.Template().controls[i].id == IDC_HWSTAT) {
            texts = moreForHardware;
        }
        for (const QString& text : texts) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width())
                << text.toStdString();
            EXPECT_LE(label->fontMetrics().height(), label->contentsRect().height())
                << text.toStdString();
        }
    }
}

TEST(Templates, FixedTextsFitTheirControls) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    ExpectTextsFit(window->Window(), {"Hardware not found !", "Can't open port", "Hardware vWWW"});
    CAboutDlg about(nullptr);
    ExpectTextsFit(about.Window(), {});
}

TEST(AboutTemplate, PlacesTextsAndLogotype) {
    CAboutDlg about(nullptr);
    TemplateDialog& dialog = about.Window();
    ExpectPlacedByTemplate(dialog);
    EXPECT_EQ(dialog.windowTitle(), "About Korvel...");
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    const auto& all = dialog.Controls();
    const auto text = [&](int index) { return static_cast<QLabel*>(all[index])->text(); };
    EXPECT_EQ(text(1), "Korvel v3.0");
    // The same addresses as the listing's banner.
    EXPECT_TRUE(text(2).contains(QString::fromUtf8(kMailAddress)));
    EXPECT_EQ(text(4), QString::fromUtf8(kWebAddress));
    const auto* logo = static_cast<QLabel*>(all[0]);
    EXPECT_EQ(logo->pixmap().size(), QSize(128, 47));
    EXPECT_EQ(logo->frameShadow(), QFrame::Sunken);
    // The picture's control is as big as the bitmap and its frame.
    EXPECT_EQ(logo->size(), QSize(128, 47) + QSize(2, 2) * logo->frameWidth());
}

}  // namespace
