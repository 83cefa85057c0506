// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

// The frame that the window manager draws around a top-level window, as the window manager tells
// it or else as Qt knows it. Empty until the window is framed.
QMargins windowFrameMargins(const QWidget &window);

// The window's outer rectangle, frame included, as far as the frame is known.
QRect outerGeometry(const QWidget &window);

// Moves the window so that its outer frame's top-left corner lies at the given point.
void moveFrameTo(QWidget &window, QPoint frameTopLeft);
