#pragma once

#include <QPixmap>

namespace korvel {

// A picture of the program's resources by name: the eight button pictures ("open", "save",
// "read", "write", "blank", "erase", "verify", "buffer"), the chip icon ("chip", icon 130) and
// the logotype ("logo", bitmap 133).
QPixmap Picture(const char* name);

}  // namespace korvel
