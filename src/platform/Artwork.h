// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's own pictures, compiled in from XPM files, each with a twice-as-large version
// NAME@2x for high-density screens.
//
// They are drawn straight from the compiled-in XPM: a picture read through an image reader makes
// Qt scan every image plugin installed, and one of unnamed format loads them all (SVG, JPEG,
// GIF, ...), to stay in memory for the whole day the program sits in the tray.
namespace artwork {

// The picture NAME, or NAME@2x with doubleSize; a null pixmap for a name there is no picture of.
QPixmap pixmap(const QString &name, bool doubleSize = false);

// NAME, with its larger version marked for a device pixel ratio of 2 when the screens are of high
// density.
QIcon icon(const QString &name);

} // namespace artwork
