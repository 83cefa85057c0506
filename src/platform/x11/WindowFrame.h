// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowFrame.h"

class QByteArray;

// On X11 the frame is the _NET_FRAME_EXTENTS that EWMH window managers publish, or else what Qt
// knows of it.

// Whether a native event, as a QAbstractNativeEventFilter sees it, tells that the window manager
// has published or changed the frame of this window.
bool isFrameExtentsChange(const QWidget &window, const QByteArray &eventType, const void *message);
