#pragma once

#include "platform/DesktopFileDialogs.h"
#include "platform/DesktopMessageBoxes.h"
#include "platform/DesktopPopupMenus.h"
#include "platform/DesktopShell.h"
#include "platform/DesktopTrayIcon.h"
#include "platform/DesktopWindowHints.h"
#include "platform/PlatformServices.h"

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
