// SPDX-License-Identifier: GPL-3.0-or-later
// The commands behind the popup menus and the tray icon.
#include "app/frmMain.h"

#include "about/frmAbout.h"
#include "app/MenuDesign.h"
#include "app/OnTopRoutines.h"
#include "platform/PopupMenus.h"
#include "platform/TrayIconControl.h"
#include "web/onTheWeb.h"

#include <QAction>
#include <QLineEdit>

using namespace MenuDesign;

void frmMain::pic_Click()
{
    m_platform.popupMenus.popup(*m_mnuFile, mnuFileItem(FileHide));
}

void frmMain::trayIcon_RightClick()
{
    m_platform.popupMenus.popup(*m_mnuTray, mnuTrayItem(TrayShow));
}

void frmMain::trayIcon_LeftClick()
{
    showFromTray();
}

void frmMain::bringForward()
{
    // Tavlo is ending and only waits for a save to reach the disk.
    if (m_unloaded)
        return;
    // The window cannot be used while the modal box is open, and a tray click would leave it
    // where it is too; the box is what the user has to answer.
    if (m_about) {
        m_about->setWindowState(m_about->windowState() & ~Qt::WindowMinimized);
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    showFromTray();
}

void frmMain::mnuFileItem_Click(short Index)
{
    switch (Index) {
    case FileHide:
        hideToTray();
        break;
    case FileClear:
        clearDoc();
        break;
    case FileOpen:
        openDoc();
        break;
    case FileSave:
        saveDoc();
        break;
    case FileExit:
        Unload();
        break;
    default:
        break;
    }
}

void frmMain::mnuTrayItem_Click(short Index)
{
    switch (Index) {
    case TrayShow:
        showFromTray();
        break;
    case TrayAlwaysOnTop:
        OnTop();
        break;
    case TrayAbout:
        aboutCommand();
        break;
    case TrayExit:
        Unload();
        break;
    default:
        break;
    }
}

void frmMain::OnTop()
{
    QAction *const item = mnuTrayItem(TrayAlwaysOnTop);
    const bool topmost = !item->isChecked();
    OnTopRoutines::setTopmost(m_platform.windowHints, *this, topmost);
    item->setChecked(topmost);
}

void frmMain::hideToTray()
{
    // Without a notification area a hidden window could never come back; minimizing leaves it
    // in the task bar or dock instead.
    if (trayIcon().isTrayAvailable())
        hide();
    else
        showMinimized();
}

void frmMain::showFromTray()
{
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void frmMain::mnuTrayItemItem_Click(short Index)
{
    // Separators and unknown indices have no page.
    if (const std::optional<QString> address = webAddress(Index))
        goWeb(*address);
}

void frmMain::goWeb(const QString &address)
{
    openWebPage(m_platform.shell, address);
}

void frmMain::aboutCommand()
{
    // While the box is open the tray icon must not show the window or open its menu.
    trayIcon().setEnabled(false);
    // No owner window: the box is centred on the screen, also while the main window is hidden.
    frmAbout box;
    m_about = &box;
    box.exec();
    m_about = nullptr;
    trayIcon().setEnabled(true);
}
