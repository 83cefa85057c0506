// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixBackup.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

QByteArray backupPathOf(const QByteArray &targetPath)
{
    static constexpr char suffix[] = ".tavlo-backup";
    const QByteArray name = nameWithRoomFor(fileNameOf(targetPath), sizeof suffix - 1);
    return folderOf(targetPath) + '/' + name + suffix;
}

Backup::Backup(const QByteArray &targetPath)
    : m_temp(targetPath)
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

int Backup::create(QByteArrayView oldBytes)
{
    if (const int error = writeTemp(oldBytes))
        return error;
    if (const int error = m_temp.renameWithoutReplacing(m_path))
        return error;
    // The file is rewritten only once the backup's name is sure to survive a crash.
    if (const int error = syncFolderOf(m_path)) {
        remove();
        return error;
    }
    return 0;
}

// Syncing the folder afterwards only keeps a needless copy from coming back after a crash; it is
// not worth failing a save over.
int Backup::remove()
{
    if (::unlink(m_path.constData()) != 0)
        return errno;
    syncFolderOf(m_path);
    return 0;
}

} // namespace platform
