// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopPopupMenus.h"

#include <QCursor>
#include <QMenu>

void DesktopPopupMenus::popup(QMenu &menu, QAction *defaultItem)
{
    menu.setDefaultAction(defaultItem);
    menu.exec(QCursor::pos());
}
