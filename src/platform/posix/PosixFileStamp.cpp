// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixFileStamp.h"

#include "platform/posix/PosixFile.h"

namespace platform {

FileStamp fileStampOf(const struct stat &status)
{
    return {status.st_dev,
            status.st_ino,
            status.st_size,
            qint64(status.st_mtim.tv_sec),
            qint64(status.st_mtim.tv_nsec),
            mode_t(status.st_mode & 0777)};
}

std::optional<FileStamp> stampOfFileAt(const QString &path)
{
    struct stat status = {};
    if (::stat(nativePath(path).constData(), &status) != 0)
        return std::nullopt;
    return fileStampOf(status);
}

} // namespace platform
