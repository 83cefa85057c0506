// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/openAndSave.h"

#include "platform/posix/PosixRead.h"
#include "platform/posix/PosixSave.h"
#include "platform/posix/UndecodableNames.h"

#include <QFileInfo>

namespace openAndSave {

ReadResult readFile(const QString &path)
{
    if (platform::standsForUndecodableName(path))
        return {false, {}, platform::undecodableNameText(), {}};
    platform::FileContents contents = platform::readRegularFile(path, maxFileSize);
    const bool ok = contents.error.isEmpty();
    return {ok, std::move(contents.bytes), std::move(contents.error), contents.stamp};
}

WriteResult writeFile(const QString &path, const QByteArray &bytes)
{
    if (platform::standsForUndecodableName(path))
        return {false, platform::undecodableNameText()};
    QString error = platform::replaceFileContents(path, bytes);
    const bool ok = error.isEmpty();
    return {ok, std::move(error)};
}

bool isNewFile(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink() && QFileInfo(info.absolutePath()).isDir() &&
           !platform::standsForUndecodableName(path);
}

} // namespace openAndSave
