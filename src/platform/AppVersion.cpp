// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AppVersion.h"

QString versionNumbers(const AppVersion &version)
{
    return QString::number(version.Major) + u'.' + QString::number(version.Minor) + u'.' +
           QString::number(version.Revision);
}

QString versionedProductString(const AppVersion &version)
{
    return QStringLiteral("Tavlo ") + versionNumbers(version);
}
