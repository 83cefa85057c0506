#include "platform/Artwork.h"

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
    QPixmap doubled = pixmap(name, true);
    doubled.setDevicePixelRatio(2);
    icon.addPixmap(doubled);
    return icon;
}

} // namespace artwork
