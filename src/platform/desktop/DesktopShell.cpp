// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopShell::openAddress(const QString &address)
{
    // On Linux this starts xdg-open detached; its outcome is the browser's business.
    QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
}
