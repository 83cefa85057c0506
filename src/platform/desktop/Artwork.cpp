// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Artwork.h"

#include <QGuiApplication>
#include <QLatin1StringView>

#include "images/corner.xpm"
#include "images/corner@2x.xpm"
#include "images/tavlo.xpm"
#include "images/tavlo@2x.xpm"
#include "images/tray.xpm"
#include "images/tray@2x.xpm"

namespace artwork {

namespace {

struct Picture {
    QLatin1StringView name;
    const char *const *single;
    const char *const *doubled;
};

const Picture pictures[] = {
    {QLatin1StringView("tavlo"), tavlo_xpm, tavlo_2x_xpm},
    {QLatin1StringView("corner"), corner_xpm, corner_2x_xpm},
    {QLatin1StringView("tray"), tray_xpm, tray_2x_xpm},
};

} // namespace

QPixmap pixmap(const QString &name, bool doubleSize)
{
    for (const Picture &picture : pictures) {
        if (name == picture.name)
            return QPixmap(doubleSize ? picture.doubled : picture.single);
    }
    return QPixmap();
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
