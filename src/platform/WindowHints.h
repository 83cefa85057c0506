// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Asks the window manager to keep a top-level window above ordinary windows, or not. The window
// keeps its native window, place, size and visibility; a hidden window takes the state with it
// when shown again, as often as it is shown.
class WindowHints {
public:
    virtual ~WindowHints() = default;
    virtual void setTopmost(QWidget &window, bool topmost) = 0;
};
