// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAction;
class QMenu;

// Shows a menu as a popup at the mouse pointer, with one item drawn bold as the default. The real
// one runs the menu's own event loop until it closes; test doubles only record the call.
class PopupMenus {
public:
    virtual ~PopupMenus() = default;
    virtual void popup(QMenu &menu, QAction *defaultItem) = 0;
};
