// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopMessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

void DesktopMessageBoxes::warn(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text);
}

bool DesktopMessageBoxes::confirm(QWidget *parent, const QString &title, const QString &text,
                                  const QString &acceptLabel)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Cancel, parent);
    const QPushButton *const accept = box.addButton(acceptLabel, QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == accept;
}
