// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The notification-area icon as the main window uses it: a tool tip, an on/off switch and two
// click events. Implementations report raw clicks through reportLeftClick/reportRightClick.
class TrayIconControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setToolTipText(const QString &text) = 0;
    virtual QString toolTipText() const = 0;
    // Whether the desktop has a notification area that can show the icon right now.
    virtual bool isTrayAvailable() const = 0;
    // Takes the icon out of the notification area for good: the program is ending.
    virtual void remove() = 0;

    // The on/off switch: while it is off no click on the icon is acted upon.
    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }

signals:
    void LeftClick();
    void RightClick();

protected:
    void reportLeftClick();
    void reportRightClick();

private:
    bool m_enabled = true;
};
