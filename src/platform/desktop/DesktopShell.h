#pragma once

#include "platform/Shell.h"

class DesktopShell : public Shell {
public:
    void openAddress(const QString &address) override;
};
