#include "window/DialogUnits.h"

#include <QFontMetrics>

namespace korvel {

namespace {

// The average width is taken over the letters, rounded to the nearest pixel.
constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kAlphabetLength = 52;

// units * base / divisor, rounded to the nearest pixel.
int Scale(int units, int base, int divisor) {
    return (units * base + divisor / 2) / divisor;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    baseX_ = (metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)) + kAlphabetLength / 2) /
             kAlphabetLength;
    baseY_ = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const {
    return Scale(units, baseX_, 4);
}

int DialogUnits::ToPixelsY(int units) const {
    return Scale(units, baseY_, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    // Both edges are converted, so that controls that meet in units meet in pixels.
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + width) - left, ToPixelsY(y + height) - top);
}

QFont DialogFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

}  // namespace korvel
