// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

class QByteArray;
class QWidget;

// The frame that the window manager draws around a top-level window: the _NET_FRAME_EXTENTS that
// EWMH window managers publish, or else what Qt knows of it. Empty until the window is framed.
QMargins windowFrameMargins(const QWidget &window);

// The window's outer rectangle, frame included, as far as the frame is known.
QRect outerGeometry(const QWidget &window);

// Moves the window so that its outer frame's top-left corner lies at the given point.
void moveFrameTo(QWidget &window, QPoint frameTopLeft);

// Whether a native event, as a QAbstractNativeEventFilter sees it, tells that the window manager
// has published or changed the frame of this window.
bool isFrameExtentsChange(const QWidget &window, const QByteArray &eventType, const void *message);
