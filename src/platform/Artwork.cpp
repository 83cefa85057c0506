#include "platform/Artwork.h"

#include <QGuiApplication>
#include <QImageReader>

namespace artwork {

QPixmap pixmap(const QString &name, bool doubleSize)
{
    const QString path = QStringLiteral(":/images/") + name +
                         (doubleSize ? QStringLiteral("@2x") : QString()) + QStringLiteral(".xpm");
    QImageReader reader(path, "XPM");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon icon(const QString &name)
{
    QIcon icon(pixmap(name));
    // Only where the screen needs it, as Qt's own icons from files do: every size an icon holds
    // goes to the window manager with the window, and is read and scaled there at every start.
    if (qApp->devicePixelRatio() > 1) {
        QPixmap doubled = pixmap(name, true);
        doubled.setDevicePixelRatio(2);
        icon.addPixmap(doubled);
    }
    return icon;
}

} // namespace artwork
