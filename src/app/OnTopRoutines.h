// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;
class WindowHints;

// The window-manager call behind "Always on top".
namespace OnTopRoutines {

// Asks the window manager to keep the window above all others, or to stack it normally again.
void setTopmost(WindowHints &windowHints, QWidget &window, bool topmost);

} // namespace OnTopRoutines
