#include "window/PathLine.h"

namespace korvel {

QString ElidePathLine(const QString& line, int width,
                      const std::function<int(const QString&)>& widthOf) {
    if (widthOf(line) <= width) {
        return line;
    }
    const QString ellipsis(QChar(0x2026));
    const qsizetype firstSlash = line.indexOf(QLatin1Char('/'));
    const qsizetype lastSlash = line.lastIndexOf(QLatin1Char('/'));
    // Without a path the whole line counts as the name.
    const QString lead = line.left(firstSlash < 0 ? 0 : firstSlash);
    const QString name = line.mid(lastSlash < 0 ? 0 : lastSlash);  // "/dump.bin"

    // The leading directories up to one of their '/', the most first; then the lead alone.
    for (qsizetype slash = lastSlash; slash > firstSlash;) {
        slash = line.lastIndexOf(QLatin1Char('/'), slash - 1);
        const QString shown = line.left(slash + 1) + ellipsis + name;
        if (widthOf(shown) <= width) {
            return shown;
        }
    }
    if (widthOf(lead + ellipsis + name) <= width) {
        return lead + ellipsis + name;
    }
    // The name alone is too long: as much of its end as fits.
    qsizetype kept = 0;
    while (kept < name.size() && widthOf(lead + ellipsis + name.right(kept + 1)) <= width) {
        ++kept;
    }
    return lead + ellipsis + name.right(kept);
}

}  // namespace korvel
