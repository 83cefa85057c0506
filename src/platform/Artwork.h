#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's own pictures, compiled in as XPM files, each with a twice-as-large version named
// NAME@2x for high-density screens.
//
// They are read with their format named: a picture of unnamed format is recognised by asking
// every image plugin installed, which loads them all (SVG, JPEG, GIF, ...) and keeps them in
// memory for the whole day the program sits in the tray.
namespace artwork {

// The picture NAME.xpm, or NAME@2x.xpm with doubleSize.
QPixmap pixmap(const QString &name, bool doubleSize = false);

// NAME, with its larger version marked for a device pixel ratio of 2 when the screens are of high
// density.
QIcon icon(const QString &name);

} // namespace artwork
