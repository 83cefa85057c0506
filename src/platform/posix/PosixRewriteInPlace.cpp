// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixRewriteInPlace.h"

#include "platform/posix/PosixBackup.h"
#include "platform/posix/PosixFile.h"
#include "platform/posix/PosixSaveSteps.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

int writeWhole(int fd, QByteArrayView bytes)
{
    if (const int error = writeAllAt(fd, bytes, 0))
        return error;
    if (::ftruncate(fd, off_t(bytes.size())) != 0)
        return errno;
    return syncFile(fd);
}

int openForRewrite(const SaveTarget &target, UniqueFd &fd, QByteArray &old)
{
    if (const int error = openLookedAt(target, O_RDWR, fd))
        return error;
    constexpr qint64 noLimit = qint64(1) << 40;
    return readToEnd(fd.get(), target.status.st_size, noLimit, old);
}

QString quotedName(const QByteArray &path)
{
    return u'"' + QFile::decodeName(fileNameOf(path)) + u'"';
}

QString noBackupText(int error, const QByteArray &backupPath)
{
    if (error == EEXIST) {
        return QCoreApplication::translate(
                   "PosixFile", "An earlier save of this file did not finish, and %1 beside it "
                                "still holds the text from before that save. The file was not "
                                "changed. Look at that copy, then move or delete it and save "
                                "again.")
            .arg(quotedName(backupPath));
    }
    return QCoreApplication::translate("PosixFile",
                                       "The file has to be rewritten in place, so a copy of its "
                                       "old text is first put beside it as %1. That copy could "
                                       "not be made: %2 The file was not changed.")
        .arg(quotedName(backupPath), errnoText(error));
}

QString notPutBackText(int error, int restoreError, const QByteArray &backupPath)
{
    return QCoreApplication::translate("PosixFile", "%1 The old text could not be put back "
                                                    "either: %2 It is kept in %3 beside the file.")
        .arg(errnoText(error), errnoText(restoreError), quotedName(backupPath));
}

QString backupNotRemovedText(int error, const QByteArray &backupPath)
{
    return QCoreApplication::translate("PosixFile",
                                       "The copy of its old text that was made for the save, %1 "
                                       "beside it, could not be removed: %2 That copy is no "
                                       "longer needed and can be deleted.")
        .arg(quotedName(backupPath), errnoText(error));
}

} // namespace

// Until the new bytes are synced, a crash could leave the file half new and half old, so a
// synced backup holds the old bytes meanwhile; it goes only once the file is whole again. The old
// bytes are also kept in memory so that a failed write can be undone. The new bytes are written
// over the old ones before the file is cut to length, rather than after truncating it: the blocks
// of the old content then stay allocated, so putting it back needs no free space on a full disk.
SaveResult rewriteInPlace(const SaveTarget &target, QByteArrayView bytes)
{
    UniqueFd fd;
    QByteArray old;
    if (const int error = openForRewrite(target, fd, old))
        return failedOrChanged(error);
    Backup backup(target.folder.get(), target.path);
    if (const int error = backup.create(old))
        return failed(noBackupText(error, backup.path()));
    if (const int error = writeWhole(fd.get(), bytes)) {
        if (const int restoreError = writeWhole(fd.get(), old))
            return failed(notPutBackText(error, restoreError, backup.path()));
        backup.remove();
        return failedWith(error);
    }
    FileStamp stamp;
    if (const int error = stampOf(fd.get(), stamp))
        return failedWith(error);
    // The file is whole and new: a copy that stays is only clutter.
    if (const int error = backup.remove())
        return saved(stamp, backupNotRemovedText(error, backup.path()));
    return saved(stamp);
}

} // namespace platform
