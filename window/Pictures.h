#pragma once

#include <QIcon>
#include <QPixmap>

namespace korvel {

// A picture of the program's resources by name: the eight button pictures ("open", "save",
// "read", "write", "blank", "erase", "verify", "buffer"), the chip icon ("chip", icon 130) and
// the logotype ("logo", bitmap 133). Each is drawn at 1x and at 2x (NAME@2x.xpm): Picture gives
// the one the screens need, with its device pixel ratio; PictureIcon holds both, for a button
// or a window to take the one its screen needs.
QPixmap Picture(const char* name);
QIcon PictureIcon(const char* name);

}  // namespace korvel
