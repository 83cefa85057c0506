// The On the Web submenu of the tray menu.
#include "app/frmMain.h"

#include "platform/Shell.h"
#include "web/LinkTable.h"

void frmMain::mnuTrayItemItem_Click(short Index)
{
    // Separators and unknown indices have no page.
    if (const std::optional<QString> address = webAddress(Index))
        goWeb(*address);
}

void frmMain::goWeb(const QString &address)
{
    m_platform.shell.openAddress(address);
}
