// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/UndecodableNames.h"

#include "platform/posix/PosixFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <dirent.h>
#include <memory>

namespace platform {
namespace {

constexpr QChar replacement = QChar::ReplacementCharacter;

// Tools differ in how many U+FFFD they show for one run of bad bytes (one per byte, one per
// broken sequence), so a run of them counts as one.
QString withRunsJoined(const QString &name)
{
    QString joined;
    joined.reserve(name.size());
    for (const QChar character : name) {
        if (character != replacement || !joined.endsWith(replacement))
            joined += character;
    }
    return joined;
}

// Whether the folder holds a name that is not UTF-8 and that decodes to name.
bool holdsUndecodableName(const QByteArray &folder, const QString &name)
{
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.constData()), &::closedir);
    if (!dir)
        return false;
    const QString wanted = withRunsJoined(name);
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray raw(entry->d_name);
        if (!raw.isValidUtf8() && withRunsJoined(QFile::decodeName(raw)) == wanted)
            return true;
    }
    return false;
}

} // namespace

bool standsForUndecodableName(const QString &path)
{
    if (!path.contains(replacement))
        return false;
    // Not cleaned: ".." after a symbolic link is the kernel's to resolve.
    const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path;
    QString folder = QStringLiteral("/");
    for (const QString &name : absolute.split(u'/', Qt::SkipEmptyParts)) {
        if (name.contains(replacement) && holdsUndecodableName(nativePath(folder), name))
            return true;
        folder += name + u'/';
    }
    return false;
}

QString undecodableNameText()
{
    return QCoreApplication::translate(
               "UndecodableNames",
               "This name stands for a file whose real name is not valid UTF-8: each %1 "
               "replaces bytes that cannot be shown. Qt, which Tavlo is built on, cannot pass "
               "such a name on, so Tavlo neither opens nor saves a file under it. Rename the "
               "file to use it in Tavlo.")
        .arg(replacement);
}

} // namespace platform
