// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextBox.h"

#include <QMenu>

QMenu *TextBox::createStandardContextMenu(QWidget *parent)
{
    return new QMenu(parent);
}
