// The windows built from templates 102 and 100: places and texts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>

#include "app/CAboutDlg.h"
#include "resources/ControlIds.h"
#include "tests/window/WindowFixture.h"
#include "window/DialogUnits.h"

namespace korvel {

namespace {

// Where each control sits, in pixels, in template order: dialog units of the 8-point sans-serif
// that Debian's fontconfig gives (DejaVu Sans, 7 by 13 pixels a unit base).
const std::vector<QRect> kMainPlaces = {
    {14, 21, 61, 60},   {86, 21, 63, 60},  {177, 21, 61, 60},  {250, 21, 63, 60},
    {177, 88, 61, 60},  {250, 88, 63, 60}, {177, 156, 61, 60}, {250, 156, 63, 60},
    {12, 154, 137, 20}, {4, 3, 155, 124},  {4, 232, 320, 15},  {168, 3, 156, 225},
    {4, 135, 155, 91},  {14, 88, 135, 13}, {14, 106, 135, 13}, {21, 205, 119, 13},
    {12, 179, 137, 19},
};
// The logotype at its own size in a one-pixel sunken frame, centred in its place.
const std::vector<QRect> kAboutPlaces = {
    {52, 34, 130, 49}, {44, 11, 145, 13}, {12, 94, 209, 13}, {72, 132, 87, 22}, {12, 107, 209, 13},
};

// Every control sits where the template puts it, and every fixed text (for the hardware line,
// each of the texts it can show) fits whole on one line of its control.
void ExpectBuiltByTemplate(const TemplateDialog& window, QSize size,
                           const std::vector<QRect>& places, const std::vector<QString>& hardware) {
    EXPECT_EQ(window.size(), size);
    ASSERT_EQ(window.Controls().size(), places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        const ControlTemplate& c = window.Template().controls[i];
        EXPECT_EQ(window.Controls()[i]->geometry(), places[i]) << c.text << " #" << i + 1;
        const auto* label = qobject_cast<const QLabel*>(window.Controls()[i]);
        if (c.kind == ControlKind::Picture) {
            EXPECT_EQ(label->pixmap().size(), QSize(128, 47));
        }
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
    if (QFontInfo(DialogFont()).family() != "DejaVu Sans") {
        GTEST_SKIP() << "the places are DejaVu Sans's; the dialog font here is "
                     << QFontInfo(DialogFont()).family().toStdString();
    }
    ExpectBuiltByTemplate(window->Window(), {327, 250}, kMainPlaces,
                          {"Hardware not found !", "Can't open port", "Hardware vWWW"});
    CAboutDlg about(nullptr);
    ExpectBuiltByTemplate(about.Window(), {233, 167}, kAboutPlaces, {});

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
