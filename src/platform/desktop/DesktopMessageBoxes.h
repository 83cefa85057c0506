// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/MessageBoxes.h"

class DesktopMessageBoxes : public MessageBoxes {
public:
    void warn(QWidget *parent, const QString &title, const QString &text) override;
    bool confirm(QWidget *parent, const QString &title, const QString &text,
                 const QString &acceptLabel) override;
};
