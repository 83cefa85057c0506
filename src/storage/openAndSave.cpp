// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/openAndSave.h"

#include "platform/posix/PosixFileStamp.h"
#include "platform/posix/PosixRead.h"
#include "platform/posix/PosixSave.h"
#include "platform/posix/UndecodableNames.h"

namespace openAndSave {

ReadResult readFile(const QString &path)
{
    if (platform::standsForUndecodableName(path))
        return {false, {}, platform::undecodableNameText(), {}, false};
    platform::FileContents contents = platform::readRegularFile(path, maxFileSize);
    const bool ok = contents.error.isEmpty();
    return {ok, std::move(contents.bytes), std::move(contents.error), contents.stamp,
            contents.missing};
}

WriteResult writeFile(const QString &path, const QByteArray &bytes,
                      const platform::ExpectedFile &expected)
{
    WriteResult result;
    if (platform::standsForUndecodableName(path)) {
        result.error = platform::undecodableNameText();
        return result;
    }
    platform::SaveResult saved = platform::saveFileContents(path, bytes, expected);
    result.ok = saved.status == platform::SaveResult::Status::Saved;
    result.changedOnDisk = saved.status == platform::SaveResult::Status::ChangedOnDisk;
    result.error = std::move(saved.error);
    result.notice = std::move(saved.notice);
    result.stamp = saved.stamp;
    return result;
}

WriteResult writeFile(const QString &path, const QByteArray &bytes)
{
    platform::ExpectedFile asOpened;
    if (const std::optional<platform::FileStamp> stamp = platform::stampOfFileAt(path))
        asOpened.stamp = stamp;
    return writeFile(path, bytes, asOpened);
}

} // namespace openAndSave
