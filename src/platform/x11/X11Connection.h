// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <xcb/xcb.h>

// The connection to the X server when the program runs on the xcb platform, else null. Other
// platforms (offscreen, say) may offer an X11 interface without a window manager behind it.
xcb_connection_t *x11Connection();
