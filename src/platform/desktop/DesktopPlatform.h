// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PlatformServices.h"
#include "platform/desktop/DesktopFileDialogs.h"
#include "platform/desktop/DesktopMessageBoxes.h"
#include "platform/desktop/DesktopPopupMenus.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/desktop/DesktopTrayIcon.h"
#include "platform/x11/DesktopWindowHints.h"

// The real platform: owns one of each desktop service for the life of the program.
class DesktopPlatform {
public:
    PlatformServices services()
    {
        return {m_trayIcon, m_popupMenus, m_windowHints, m_fileDialogs, m_messageBoxes, m_shell};
    }

private:
    DesktopTrayIcon m_trayIcon;
    DesktopPopupMenus m_popupMenus;
    DesktopWindowHints m_windowHints;
    DesktopFileDialogs m_fileDialogs;
    DesktopMessageBoxes m_messageBoxes;
    DesktopShell m_shell;
};

// Under Wayland, placement and keeping a window on top only work through XWayland, so X11 is
// chosen there unless the user picked a Qt platform. Call before the QApplication exists.
void preferX11UnderWayland();
