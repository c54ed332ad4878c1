#include "window/Pictures.h"

#include <QGuiApplication>

namespace korvel {

namespace {

QPixmap PictureAt(const char* name, int scale) {
    const QString suffix = scale == 1 ? QStringLiteral(".xpm") : QStringLiteral("@2x.xpm");
    QPixmap picture(QStringLiteral(":/pictures/") + QString::fromLatin1(name) + suffix);
    picture.setDevicePixelRatio(scale);
    return picture;
}

}  // namespace

QPixmap Picture(const char* name) {
    return PictureAt(name, qGuiApp->devicePixelRatio() > 1.0 ? 2 : 1);
}

QIcon PictureIcon(const char* name) {
    QIcon icon;
    icon.addPixmap(PictureAt(name, 1));
    icon.addPixmap(PictureAt(name, 2));
    return icon;
}

}  // namespace korvel
