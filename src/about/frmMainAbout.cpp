// The About command of the tray menu, and unloading the About box with the main window.
#include "app/frmMain.h"

#include "about/frmAbout.h"
#include "platform/TrayIconControl.h"

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

void frmMain::Form_Unload()
{
    if (m_about)
        m_about->close();
}
