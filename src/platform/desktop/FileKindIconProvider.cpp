// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/FileKindIconProvider.h"

#include <QFileInfo>

QIcon FileKindIconProvider::icon(const QFileInfo &info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    const QIcon file = icon(File);
    const QMimeType byName = typeByName(info);
    if (!byName.isValid())
        return file;
    return QIcon::fromTheme(byName.iconName(), QIcon::fromTheme(byName.genericIconName(), file));
}

QString FileKindIconProvider::type(const QFileInfo &info) const
{
    if (info.isRoot())
        return tr("Drive");
    if (info.isDir())
        return tr("Folder");
    if (info.isFile()) {
        const QMimeType byName = typeByName(info);
        if (!byName.isValid())
            return tr("File");
        return byName.comment().isEmpty() ? byName.name() : byName.comment();
    }
    // QFileInfo follows links, so a link here points nowhere.
    if (info.isSymLink())
        return tr("Broken Link");
    return tr("Special File");
}

QMimeType FileKindIconProvider::typeByName(const QFileInfo &info) const
{
    // Matching the name against the known patterns reads nothing of the file.
    const QList<QMimeType> types = m_types.mimeTypesForFileName(info.fileName());
    return types.isEmpty() ? QMimeType() : types.constFirst();
}
