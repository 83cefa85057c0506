// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixStaleFiles.h"

#include "platform/posix/PosixBackup.h"
#include "platform/posix/PosixFile.h"
#include "platform/posix/PosixTempFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

struct FolderCloser {
    void operator()(DIR *folder) const { ::closedir(folder); }
};
using FolderList = std::unique_ptr<DIR, FolderCloser>;

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isOwnRegularFile(int folder, const QByteArray &name, struct stat &status)
{
    return ::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

// The file under name, open and locked, when it is one of ours that no running save holds: a
// save keeps its lock until it is done with the file, so getting the lock means its owner died.
UniqueFd openUnused(int folder, const QByteArray &name)
{
    struct stat before = {};
    if (!isOwnRegularFile(folder, name, before))
        return {};
    UniqueFd file(::openat(folder, name.constData(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened = {};
    if (!file.isValid() || ::fstat(file.get(), &opened) != 0 || !sameFile(before, opened) ||
        ::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        return {};
    }
    return file;
}

// The lock was taken on a file; the name must still lead to that file, and not to one that
// another save put there since.
void removeLocked(int folder, const QByteArray &name, int lockedFd)
{
    struct stat now = {};
    struct stat locked = {};
    if (::fstatat(folder, name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        ::fstat(lockedFd, &locked) == 0 && sameFile(now, locked)) {
        ::unlinkat(folder, name.constData(), 0);
    }
}

bool readFully(int fd, char *buffer, qsizetype size, off_t offset)
{
    while (size > 0) {
        const ssize_t count = ::pread(fd, buffer, size_t(size), offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        buffer += count;
        size -= count;
        offset += count;
    }
    return true;
}

bool sameContents(int a, int b)
{
    struct stat statusA = {};
    struct stat statusB = {};
    if (::fstat(a, &statusA) != 0 || ::fstat(b, &statusB) != 0 || !S_ISREG(statusB.st_mode) ||
        statusA.st_size != statusB.st_size) {
        return false;
    }
    constexpr qsizetype step = 64 * 1024;
    QByteArray bytesA(step, Qt::Uninitialized);
    QByteArray bytesB(step, Qt::Uninitialized);
    for (off_t offset = 0; offset < statusA.st_size; offset += step) {
        const qsizetype size = qsizetype(std::min<off_t>(step, statusA.st_size - offset));
        if (!readFully(a, bytesA.data(), size, offset) ||
            !readFully(b, bytesB.data(), size, offset) ||
            std::memcmp(bytesA.constData(), bytesB.constData(), size_t(size)) != 0) {
            return false;
        }
    }
    return true;
}

// A backup that differs from the target may hold the only whole copy of the text, with the
// target cut short by the crash: only the user can tell, so it stays.
void removeNeedlessBackup(int folder, const QByteArray &targetPath, const QByteArray &name)
{
    const UniqueFd backup = openUnused(folder, name);
    if (!backup.isValid())
        return;
    const UniqueFd target(::openat(folder, fileNameOf(targetPath).constData(),
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (target.isValid() && sameContents(backup.get(), target.get()))
        removeLocked(folder, name, backup.get());
}

// Temporary files, and backups under names of their own, are found by listing the folder.
void removeStaleListedFiles(int folder, const QByteArray &targetPath)
{
    UniqueFd listed(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    const FolderList list(listed.isValid() ? ::fdopendir(listed.get()) : nullptr);
    if (!list)
        return;
    // The list owns the descriptor now.
    listed.release();
    while (const dirent *entry = ::readdir(list.get())) {
        const QByteArray name(entry->d_name);
        if (isOwnNamedBackup(targetPath, name)) {
            removeNeedlessBackup(folder, targetPath, name);
            continue;
        }
        if (!isTempFileName(fileNameOf(targetPath), name))
            continue;
        if (const UniqueFd file = openUnused(folder, name); file.isValid())
            removeLocked(folder, name, file.get());
    }
}

} // namespace

void removeStaleSaveFiles(int folder, const QByteArray &targetPath)
{
    removeStaleListedFiles(folder, targetPath);
    removeNeedlessBackup(folder, targetPath, fileNameOf(backupPathOf(targetPath)));
}

void removeStaleSaveFiles(const QByteArray &targetPath)
{
    const UniqueFd folder(
        ::open(folderOf(targetPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.isValid())
        removeStaleSaveFiles(folder.get(), targetPath);
}

} // namespace platform
