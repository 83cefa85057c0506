// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixBackup.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char suffix[] = ".tavlo-backup";
// "-" and six random characters after the usual name.
constexpr qsizetype ownNameLength = 7;
constexpr int attempts = 100;

QByteArray backupNameOf(const QByteArray &targetPath, qsizetype room)
{
    return nameWithRoomFor(fileNameOf(targetPath), sizeof suffix - 1 + room) + suffix;
}

} // namespace

QByteArray backupPathOf(const QByteArray &targetPath)
{
    return folderOf(targetPath) + '/' + backupNameOf(targetPath, 0);
}

bool isOwnNamedBackup(const QByteArray &targetPath, const QByteArray &name)
{
    const QByteArray prefix = backupNameOf(targetPath, ownNameLength) + '-';
    return name.startsWith(prefix) && isRandomSuffix(name.mid(prefix.size()));
}

Backup::Backup(int folder, const QByteArray &targetPath)
    : m_temp(folder, targetPath)
    , m_targetPath(targetPath)
    , m_path(backupPathOf(targetPath))
{}

Backup::Backup(const QByteArray &targetPath)
    : m_temp(targetPath)
    , m_targetPath(targetPath)
    , m_path(backupPathOf(targetPath))
{}

// Readable by its owner only: the copy never shows the text to anyone the file did not.
int Backup::writeTemp(QByteArrayView oldBytes)
{
    if (const int error = m_temp.create(0600))
        return error;
    if (const int error = writeAllAt(m_temp.fd(), oldBytes, 0))
        return error;
    if (const int error = syncFile(m_temp.fd()))
        return error;
    return m_temp.close();
}

// What a save of this user left under the name: a regular file of theirs with no other name. A
// link, or another user's file, may have been put there by someone else, and says nothing about
// the text.
bool Backup::isTavlosBackup(const QByteArray &name) const
{
    struct stat status = {};
    if (::fstatat(folder(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid() && status.st_nlink == 1;
}

int Backup::renameToOwnName()
{
    const QByteArray prefix = backupNameOf(m_targetPath, ownNameLength) + '-';
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QByteArray name = prefix + randomSuffix();
        const int error = m_temp.renameWithoutReplacing(name);
        if (error != EEXIST) {
            if (error == 0)
                m_path = folderOf(m_targetPath) + '/' + name;
            return error;
        }
    }
    return EEXIST;
}

int Backup::create(QByteArrayView oldBytes)
{
    if (const int error = writeTemp(oldBytes))
        return error;
    int error = m_temp.renameWithoutReplacing(fileNameOf(m_path));
    if (error == EEXIST && !isTavlosBackup(fileNameOf(m_path)))
        error = renameToOwnName();
    if (error)
        return error;
    // The file is rewritten only once the backup's name is sure to survive a crash.
    if (const int syncError = syncFolder(folder())) {
        remove();
        return syncError;
    }
    return 0;
}

// Syncing the folder afterwards only keeps a needless copy from coming back after a crash; it is
// not worth failing a save over.
int Backup::remove()
{
    if (::unlinkat(folder(), fileNameOf(m_path).constData(), 0) != 0)
        return errno;
    syncFolder(folder());
    return 0;
}

} // namespace platform
