// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrayIconControl.h"

void TrayIconControl::reportLeftClick()
{
    if (m_enabled)
        emit LeftClick();
}

void TrayIconControl::reportRightClick()
{
    if (m_enabled)
        emit RightClick();
}
