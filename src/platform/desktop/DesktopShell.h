// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Shell.h"

class DesktopShell : public Shell {
public:
    void openAddress(const QString &address) override;
};
