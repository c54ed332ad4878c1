// The windows built from templates 102 and 100: places and texts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QFontMetrics>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <cstdlib>

#include "app/CAboutDlg.h"
#include "dialog/ControlIds.h"
#include "tests/window/WindowFixture.h"

namespace korvel {

namespace {

// Dialog units in pixels, worked out here from the font alone.
struct Units {
    explicit Units(const QFont& font) {
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

// Every control sits where the template puts it, and every fixed text (for the hardware line,
// each of the texts it can show) fits whole on one line of its control.
void ExpectBuiltByTemplate(const TemplateDialog& window, const std::vector<QString>& hardware) {
    const DialogTemplate& t = window.Template();
    const Units units(window.font());
    // A dialog font of 8 points gives units of a few pixels, not zero and not a dozen.
    EXPECT_TRUE(units.baseX >= 4 && units.baseX <= 10 && units.baseY >= 9 && units.baseY <= 20)
        << units.baseX << " x " << units.baseY;
    EXPECT_EQ(window.size(), QSize(units.X(t.width), units.Y(t.height)));
    ASSERT_EQ(window.Controls().size(), t.count);
    for (std::size_t i = 0; i < t.count; ++i) {
        const ControlTemplate& c = t.controls[i];
        if (c.kind == ControlKind::FileDialog) {
            EXPECT_EQ(window.Controls()[i], nullptr) << "the file dialogs open only when asked for";
            continue;
        }
        const auto* label = qobject_cast<const QLabel*>(window.Controls()[i]);
        if (c.kind == ControlKind::Picture) {
            // The 128 x 47 logotype shows at its own size in its one-pixel sunken frame,
            // centred in the template's rectangle within a pixel.
            EXPECT_EQ(label->pixmap().size(), QSize(128, 47));
            EXPECT_EQ(label->size(), QSize(130, 49));
            const QRect place = units.Place(c);
            // Twice the distance of the centres, so that half pixels count.
            const auto offCentre = [](int start, int size, int placeStart, int placeSize) {
                return std::abs(2 * start + size - (2 * placeStart + placeSize));
            };
            EXPECT_LE(offCentre(label->x(), label->width(), place.x(), place.width()), 2);
            EXPECT_LE(offCentre(label->y(), label->height(), place.y(), place.height()), 2);
            continue;
        }
        EXPECT_EQ(window.Controls()[i]->geometry(), units.Place(c)) << c.text << " #" << i + 1;
        if (label == nullptr || label->text().isEmpty()) {
            continue;
        }
        for (const QString& text : c.id == IDC_HWSTAT ? hardware : std::vector{label->text()}) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width())
                << text.toStdString();
            EXPECT_LE(label->fontMetrics().height(), label->contentsRect().height()) << c.text;
        }
    }
}

TEST(Templates, ControlsSitWhereTheTemplatePutsThemAndFixedTextsFit) {
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    ShownWindow window;
    ExpectBuiltByTemplate(window->Window(),
                          {"Hardware not found !", "Can't open port", "Hardware vWWW"});
    CAboutDlg about(nullptr);
    ExpectBuiltByTemplate(about.Window(), {});

    // "&&" is how a title shows one ampersand; it makes no keyboard mnemonic.
    const QString ports = static_cast<QGroupBox*>(window->Window().Controls()[12])->title();
    EXPECT_EQ(ports, "Device && Port");
    EXPECT_TRUE(QKeySequence::mnemonic(ports).isEmpty());

    // Whatever the board answers, the hardware line keeps twenty characters, one for each byte.
    window->Host().ShowStatusTexts({"Ready.", "File: [buffer]", "Size: 256 bytes",
                                    "Hardware v\xE9<i>and a lot more than twenty", ""});
    EXPECT_EQ(window.Text(IDC_HWSTAT), QString::fromUtf8("Hardware v\u00e9<i>and a "));
}

}  // namespace

}  // namespace korvel
