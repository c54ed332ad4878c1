#pragma once

#include <QString>
#include <functional>

namespace korvel {

// A line that ends in a path ("File: /home/user/eeprom/dump.bin") as it is shown in `width`
// pixels, `widthOf` measuring a text. A line that fits is shown whole. Otherwise directories
// are left out of the middle, so that the text before the path, as many leading directories as
// fit and the file's own name show ("File: /home/user/…/dump.bin"); a name too long even for
// that loses its start instead ("File: …ump.bin"). What is left out is always marked by "…".
QString ElidePathLine(const QString& line, int width,
                      const std::function<int(const QString&)>& widthOf);

}  // namespace korvel
