// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixSave.h"

#include "platform/posix/PosixBackup.h"
#include "platform/posix/PosixFile.h"
#include "platform/posix/PosixMetadata.h"
#include "platform/posix/PosixSaveTarget.h"
#include "platform/posix/PosixSharedFolders.h"
#include "platform/posix/PosixStaleFiles.h"
#include "platform/posix/PosixTempFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// What opening the target found when it is no longer the file that was looked at.
constexpr int notTheFileLookedAt = -1;

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

SaveResult saved(const FileStamp &stamp, const QString &notice = {})
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

bool sameStamp(const struct stat &a, const struct stat &b)
{
    return fileStampOf(a) == fileStampOf(b);
}

// A rename is only durable once the folder that holds the name is synced.
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

// Writing can clear the set-user-ID and set-group-ID bits; they are put back before syncing.
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

// The new file takes the name only while the name is free: what appeared there since the save
// looked is not replaced.
SaveResult createNewFile(const SaveTarget &target, QByteArrayView bytes)
{
    TempFile temp(target.folder.get(), target.path);
    FileStamp stamp;
    if (const int error = temp.create(0666))
        return failedWith(error);
    if (const int error = fillAndClose(temp, bytes, std::nullopt, stamp))
        return failedWith(error);
    if (const int error = temp.renameWithoutReplacing(target.name()))
        return error == EEXIST ? changedOnDisk() : failedWith(error);
    return confirmSaved(target, stamp);
}

// Opens the target without following a link; notTheFileLookedAt when the name now leads
// elsewhere than the save looked.
int openLookedAt(const SaveTarget &target, int flags, UniqueFd &fd)
{
    fd.reset(::openat(target.folder.get(), target.name().constData(),
                      flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid())
        return errno == ELOOP ? notTheFileLookedAt : errno;
    struct stat status = {};
    if (::fstat(fd.get(), &status) != 0)
        return errno;
    if (!S_ISREG(status.st_mode) || !sameStamp(status, target.status))
        return notTheFileLookedAt;
    return clearNonBlocking(fd.get());
}

// For reading its extended attributes; a file the user may write but not read still opens.
int openForMetadata(const SaveTarget &target, UniqueFd &fd)
{
    const int error = openLookedAt(target, O_RDONLY, fd);
    return error == EACCES ? openLookedAt(target, O_WRONLY, fd) : error;
}

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

// The folder refused a new name (the user may not write to it, or it is locked) while the file
// itself may still be writable.
bool mayRewriteInPlace(int error)
{
    return error == EACCES || error == EPERM;
}

// A complete, synced new file renamed over the old one, so that the old file stays whole until
// the new one is. Where the rename could not keep what the file had (its owner, group or
// extended attributes) or is not allowed (a folder the user may not write to while the file
// is writable), the file is rewritten in place instead. That is no less safe, with its backup,
// and keeps all the file has, so it is not reported.
SaveResult replaceRegularFile(const SaveTarget &target, QByteArrayView bytes)
{
    TempFile temp(target.folder.get(), target.path);
    // Readable by the owner only until the old file's permissions are in place.
    if (const int error = temp.create(0600))
        return mayRewriteInPlace(error) ? rewriteInPlace(target, bytes) : failedWith(error);
    UniqueFd source;
    if (const int error = openForMetadata(target, source))
        return failedOrChanged(error);
    if (applyOwnerAndMode(temp.fd(), target.status) != 0 ||
        copyExtendedAttributes(source.get(), temp.fd()) != 0) {
        temp.discard();
        return rewriteInPlace(target, bytes);
    }
    FileStamp stamp;
    if (const int error = fillAndClose(temp, bytes, target.status.st_mode, stamp))
        return failedWith(error);
    if (const int error = temp.renameOverTarget()) {
        if (!mayRewriteInPlace(error))
            return failedWith(error);
        temp.discard();
        return rewriteInPlace(target, bytes);
    }
    return confirmSaved(target, stamp);
}

// What is under the name is not what the note expects: a note that expects no file finds
// anything at all (a link too), one with a stamp finds another file, or the name could not be
// looked at, which proves nothing either way.
bool isUnexpected(const SaveTarget &target, const ExpectedFile &expected, bool followed)
{
    if (expected.replaceAny || target.lookError == ENOENT)
        return false;
    if (!expected.stamp)
        return !followed;
    return followed && (!target.exists() || fileStampOf(target.status) != *expected.stamp);
}

SaveResult replaceExisting(const SaveTarget &target, QByteArrayView bytes)
{
    if (S_ISDIR(target.status.st_mode))
        return failed(folderNotFileText());
    if (!S_ISREG(target.status.st_mode))
        return failed(notRegularFileText());
    if (!isTrustedIn(target.status, target.folderStatus))
        return failed(untrustedFileText(target.path, target.status.st_uid));
    // A file the user may not write to is not replaced behind its back.
    if (::faccessat(target.folder.get(), target.name().constData(), W_OK, AT_EACCESS) != 0)
        return failedWith(errno);
    removeStaleSaveFiles(target.folder.get(), target.path);
    // A rename would leave the other names of a hard-linked file with the old content.
    if (target.status.st_nlink > 1)
        return rewriteInPlace(target, bytes);
    return replaceRegularFile(target, bytes);
}

} // namespace

SaveResult saveFileContents(const QString &path, QByteArrayView bytes, const ExpectedFile &expected)
{
    SaveTarget target;
    QString refusal;
    if (const int error = openSaveTarget(AT_FDCWD, ".", nativePath(path), target, refusal))
        return refusal.isEmpty() ? failedWith(error) : failed(refusal);
    if (isUnexpected(target, expected, false))
        return changedOnDisk();
    refusal = followLinks(target);
    if (!refusal.isEmpty())
        return failed(refusal);
    if (isUnexpected(target, expected, true))
        return changedOnDisk();
    if (target.lookError == ENOENT) {
        removeStaleSaveFiles(target.folder.get(), target.path);
        return createNewFile(target, bytes);
    }
    if (target.lookError)
        return failedWith(target.lookError);
    return replaceExisting(target, bytes);
}

} // namespace platform
