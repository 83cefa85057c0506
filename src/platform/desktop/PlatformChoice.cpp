// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopPlatform.h"

#include <QtGlobal>

void preferX11UnderWayland()
{
    const bool userChose = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    const bool waylandSession =
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    // Without DISPLAY there is no XWayland to use; Qt then runs on Wayland itself.
    const bool xwaylandAvailable = qEnvironmentVariableIsSet("DISPLAY");
    if (!userChose && waylandSession && xwaylandAvailable)
        qputenv("QT_QPA_PLATFORM", "xcb");
}
