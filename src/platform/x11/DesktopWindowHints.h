// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowHints.h"

class DesktopWindowHints : public WindowHints {
public:
    void setTopmost(QWidget &window, bool topmost) override;
};
