// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OnTopRoutines.h"

#include "platform/WindowHints.h"

namespace OnTopRoutines {

void setTopmost(WindowHints &windowHints, QWidget &window, bool topmost)
{
    windowHints.setTopmost(window, topmost);
}

} // namespace OnTopRoutines
