#pragma once

#include "platform/PopupMenus.h"

class DesktopPopupMenus : public PopupMenus {
public:
    void popup(QMenu &menu, QAction *defaultItem) override;
};
