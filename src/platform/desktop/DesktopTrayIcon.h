// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TrayIconControl.h"

#include <QSystemTrayIcon>

// The tray icon on a real desktop, through Qt: the classic X11 tray or a StatusNotifierItem host.
class DesktopTrayIcon : public TrayIconControl {
    Q_OBJECT
public:
    explicit DesktopTrayIcon(QObject *parent = nullptr);

    void setToolTipText(const QString &text) override;
    QString toolTipText() const override;
    bool isTrayAvailable() const override;
    void remove() override;

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_icon;
};
