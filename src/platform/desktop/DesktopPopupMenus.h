// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PopupMenus.h"

class DesktopPopupMenus : public PopupMenus {
public:
    void popup(QMenu &menu, QAction *defaultItem) override;
};
