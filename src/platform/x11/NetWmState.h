// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <xcb/xcb.h>

// The EWMH _NET_WM_STATE_ABOVE state of a top-level X window, changed the two ways EWMH allows:
// through the window manager while the window is mapped, or in the window's own property while
// it is withdrawn, for the window manager to read when the window is mapped again.
namespace netwm {

// Asks the window manager to add or remove the state on a mapped window.
void requestAbove(xcb_connection_t *connection, xcb_window_t window, bool above);

// Adds or removes the state in the property of a withdrawn window, keeping its other states.
void writeAbove(xcb_connection_t *connection, xcb_window_t window, bool above);

} // namespace netwm
