// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The X display a program on the xcb platform talks to: Qt's -display option when the command
// line has one, else $DISPLAY. Read it before the QApplication exists, which takes the option out.
QString x11DisplayName(int argc, const char *const *argv);

// The well-known name on the session bus under which the Tavlo of one display answers. The
// session bus already belongs to one user; the display is added so that each display of that
// user has a Tavlo of its own. Empty for platforms without a display to tell apart (offscreen).
QString instanceBusName(const QString &platformName, const QString &x11Display,
                        const QString &waylandDisplay);
