// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixSave.h"

#include "platform/posix/PosixBackup.h"
#include "platform/posix/PosixFile.h"
#include "platform/posix/PosixMetadata.h"
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

constexpr int maxLinkHops = 40;

int readLink(const QByteArray &path, QByteArray &target)
{
    target.resize(256);
    for (;;) {
        const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            return errno;
        if (length < target.size()) {
            target.truncate(length);
            return 0;
        }
        target.resize(target.size() * 2);
    }
}

// Follows symbolic links in the last part of the path to the file that really gets written;
// that file may not exist yet (a dangling link).
int resolveFinalTarget(QByteArray path, QByteArray &target)
{
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat status = {};
        if (::lstat(path.constData(), &status) != 0 && errno != ENOENT)
            return errno;
        if (!S_ISLNK(status.st_mode)) {
            target = path;
            return 0;
        }
        QByteArray link;
        if (const int error = readLink(path, link))
            return error;
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    return ELOOP;
}

// A rename is only durable once the folder that holds the name is synced.
QString confirmSaved(const QByteArray &target)
{
    if (const int error = syncFolderOf(target)) {
        return QCoreApplication::translate("PosixFile",
                                           "The text was saved, but the system could not "
                                           "confirm that it reached the disk: %1")
            .arg(errnoText(error));
    }
    return {};
}

// Writing can clear the set-user-ID and set-group-ID bits; they are put back before syncing.
int fillAndClose(TempFile &temp, QByteArrayView bytes, std::optional<mode_t> mode)
{
    if (const int error = writeAllAt(temp.fd(), bytes, 0))
        return error;
    if (mode && ::fchmod(temp.fd(), *mode & 07777) != 0)
        return errno;
    if (const int error = syncFile(temp.fd()))
        return error;
    return temp.close();
}

QString createNewFile(const QByteArray &target, QByteArrayView bytes)
{
    TempFile temp(target);
    if (const int error = temp.create(0666))
        return errnoText(error);
    if (const int error = fillAndClose(temp, bytes, std::nullopt))
        return errnoText(error);
    if (const int error = temp.renameOverTarget())
        return errnoText(error);
    return confirmSaved(target);
}

int writeWhole(int fd, QByteArrayView bytes)
{
    if (const int error = writeAllAt(fd, bytes, 0))
        return error;
    if (::ftruncate(fd, off_t(bytes.size())) != 0)
        return errno;
    return syncFile(fd);
}

// Returns EINVAL when the path no longer leads to a regular file.
int openForRewrite(const QByteArray &target, UniqueFd &fd, QByteArray &old)
{
    fd.reset(::open(target.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid())
        return errno;
    struct stat status = {};
    if (::fstat(fd.get(), &status) != 0)
        return errno;
    if (!S_ISREG(status.st_mode))
        return EINVAL;
    if (const int error = clearNonBlocking(fd.get()))
        return error;
    constexpr qint64 noLimit = qint64(1) << 40;
    return readToEnd(fd.get(), status.st_size, noLimit, old);
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
    return QCoreApplication::translate("PosixFile", "The text was saved, but the copy of the old "
                                                    "text, %1, could not be removed: %2")
        .arg(quotedName(backupPath), errnoText(error));
}

// Until the new bytes are synced, a crash could leave the file half new and half old, so a
// synced backup holds the old bytes meanwhile; it goes only once the file is whole again. The old
// bytes are also kept in memory so that a failed write can be undone. The new bytes are written
// over the old ones before the file is cut to length, rather than after truncating it: the blocks
// of the old content then stay allocated, so putting it back needs no free space on a full disk.
QString rewriteInPlace(const QByteArray &target, QByteArrayView bytes)
{
    UniqueFd fd;
    QByteArray old;
    if (const int error = openForRewrite(target, fd, old))
        return error == EINVAL ? notRegularFileText() : errnoText(error);
    Backup backup(target);
    if (const int error = backup.create(old))
        return noBackupText(error, backup.path());
    if (const int error = writeWhole(fd.get(), bytes)) {
        if (const int restoreError = writeWhole(fd.get(), old))
            return notPutBackText(error, restoreError, backup.path());
        backup.remove();
        return errnoText(error);
    }
    if (const int error = backup.remove())
        return backupNotRemovedText(error, backup.path());
    return {};
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
QString replaceRegularFile(const QByteArray &target, const struct stat &status,
                           QByteArrayView bytes)
{
    TempFile temp(target);
    // Readable by the owner only until the old file's permissions are in place.
    if (const int error = temp.create(0600))
        return mayRewriteInPlace(error) ? rewriteInPlace(target, bytes) : errnoText(error);
    if (applyOwnerAndMode(temp.fd(), status) != 0 ||
        copyExtendedAttributes(target, temp.fd()) != 0) {
        temp.discard();
        return rewriteInPlace(target, bytes);
    }
    if (const int error = fillAndClose(temp, bytes, status.st_mode))
        return errnoText(error);
    if (const int error = temp.renameOverTarget()) {
        if (!mayRewriteInPlace(error))
            return errnoText(error);
        temp.discard();
        return rewriteInPlace(target, bytes);
    }
    return confirmSaved(target);
}

} // namespace

QString replaceFileContents(const QString &path, QByteArrayView bytes)
{
    QByteArray target;
    if (const int error = resolveFinalTarget(nativePath(path), target))
        return errnoText(error);
    struct stat status = {};
    if (::stat(target.constData(), &status) != 0) {
        if (errno != ENOENT)
            return errnoText(errno);
        removeStaleSaveFiles(target);
        return createNewFile(target, bytes);
    }
    if (S_ISDIR(status.st_mode))
        return folderNotFileText();
    if (!S_ISREG(status.st_mode))
        return notRegularFileText();
    // A file the user may not write to is not replaced behind its back.
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return errnoText(errno);
    removeStaleSaveFiles(target);
    // A rename would leave the other names of a hard-linked file with the old content.
    if (status.st_nlink > 1)
        return rewriteInPlace(target, bytes);
    return replaceRegularFile(target, status, bytes);
}

} // namespace platform
