#pragma once

#include <QFont>
#include <QRect>

namespace korvel {

// Dialog units of a font: a horizontal unit is a quarter of its average character width, a
// vertical unit an eighth of its height, as dialog templates measure their controls.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

  private:
    int baseX_;  // average character width in pixels
    int baseY_;  // character height in pixels
};

// The font of every dialog: the platform's default sans-serif at 8 points.
QFont DialogFont();

}  // namespace korvel
