#include "window/Pictures.h"

namespace korvel {

QPixmap Picture(const char* name) {
    return QPixmap(QStringLiteral(":/pictures/") + QString::fromLatin1(name) +
                   QStringLiteral(".xpm"));
}

}  // namespace korvel
