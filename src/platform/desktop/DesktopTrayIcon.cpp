// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopTrayIcon.h"

#include "platform/Artwork.h"
#include "platform/desktop/CrispIconEngine.h"

#include <QIcon>

DesktopTrayIcon::DesktopTrayIcon(QObject *parent)
    : TrayIconControl(parent)
    , m_icon(QIcon(new CrispIconEngine(artwork::pixmap(QStringLiteral("tray")),
                                       artwork::pixmap(QStringLiteral("tray"), true))))
{
    // Queued: the tray menu runs an event loop of its own, and a D-Bus panel's ContextMenu call
    // would otherwise be answered only once the menu, or the About box picked from it, closes.
    connect(&m_icon, &QSystemTrayIcon::activated, this, &DesktopTrayIcon::onActivated,
            Qt::QueuedConnection);
    // Shown from the start: the icon is the way back to a hidden window.
    m_icon.show();
}

void DesktopTrayIcon::setToolTipText(const QString &text)
{
    m_icon.setToolTip(text);
}

QString DesktopTrayIcon::toolTipText() const
{
    return m_icon.toolTip();
}

bool DesktopTrayIcon::isTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void DesktopTrayIcon::remove()
{
    m_icon.hide();
}

void DesktopTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    // Some tray hosts report a plain left click as a double click.
    case QSystemTrayIcon::DoubleClick:
        reportLeftClick();
        break;
    case QSystemTrayIcon::Context:
        reportRightClick();
        break;
    default:
        break;
    }
}
