// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

// Modal messages to the user. The real one shows message boxes; test doubles record and answer.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void warn(QWidget *parent, const QString &title, const QString &text) = 0;
    // Asks a question; true when the user chose the action named by acceptLabel.
    virtual bool confirm(QWidget *parent, const QString &title, const QString &text,
                         const QString &acceptLabel) = 0;
};
