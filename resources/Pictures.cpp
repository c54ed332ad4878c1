#include "resources/Pictures.h"

QPixmap Picture(const char* name) {
    return QPixmap(QStringLiteral(":/pictures/") + QString::fromLatin1(name) +
                   QStringLiteral(".xpm"));
}
