// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixSaveSteps.h"

#include "platform/posix/PosixTempFile.h"

#include <QCoreApplication>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

SaveResult failed(const QString &error)
{
    SaveResult result;
    result.error = error;
    return result;
}

SaveResult failedWith(int error)
{
    return failed(errnoText(error));
}

SaveResult changedOnDisk()
{
    SaveResult result;
    result.status = SaveResult::Status::ChangedOnDisk;
    return result;
}

SaveResult saved(const FileStamp &stamp, const QString &notice)
{
    SaveResult result;
    result.status = SaveResult::Status::Saved;
    result.stamp = stamp;
    result.notice = notice;
    return result;
}

SaveResult failedOrChanged(int error)
{
    return error == notTheFileLookedAt ? changedOnDisk() : failedWith(error);
}

SaveResult cannotCreateBeside(const SaveTarget &target, int error)
{
    struct stat folder = {};
    const bool folderExists = ::fstat(target.folder.get(), &folder) == 0 && folder.st_nlink > 0;
    if (error != ENOENT || !folderExists)
        return failedWith(error);
    return failed(QCoreApplication::translate("PosixFile",
                                              "It is a file of the system, in a folder that "
                                              "takes no new files (as in /proc and /sys), so "
                                              "Tavlo cannot save over it."));
}

SaveResult confirmSaved(const SaveTarget &target, const FileStamp &stamp)
{
    if (const int error = syncFolder(target.folder.get())) {
        return failed(QCoreApplication::translate("PosixFile",
                                                  "The text was saved, but the system could not "
                                                  "confirm that it reached the disk: %1")
                          .arg(errnoText(error)));
    }
    return saved(stamp);
}

int stampOf(int fd, FileStamp &stamp)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return errno;
    stamp = fileStampOf(status);
    return 0;
}

int fillAndClose(TempFile &temp, QByteArrayView bytes, std::optional<mode_t> mode, FileStamp &stamp)
{
    if (const int error = writeAllAt(temp.fd(), bytes, 0))
        return error;
    if (mode && ::fchmod(temp.fd(), *mode & 07777) != 0)
        return errno;
    if (const int error = syncFile(temp.fd()))
        return error;
    if (const int error = stampOf(temp.fd(), stamp))
        return error;
    return temp.close();
}

int openLookedAt(const SaveTarget &target, int flags, UniqueFd &fd)
{
    fd.reset(::openat(target.folder.get(), target.name().constData(),
                      flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid())
        return errno == ELOOP ? notTheFileLookedAt : errno;
    struct stat status = {};
    if (::fstat(fd.get(), &status) != 0)
        return errno;
    if (!S_ISREG(status.st_mode) || fileStampOf(status) != fileStampOf(target.status))
        return notTheFileLookedAt;
    return clearNonBlocking(fd.get());
}

} // namespace platform
