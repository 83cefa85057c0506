// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixTempFile.h"

#include <QByteArrayView>

namespace platform {

// "name.tavlo-backup" beside the target. It is not hidden: someone who finds the file half
// written after a crash must find the whole old text right beside it, under a name that says
// what it is.
QByteArray backupPathOf(const QByteArray &targetPath);

// Whether name, a name in the target's folder, is one a backup of the target takes when its
// usual name is held by what is not Tavlo's: "name.tavlo-backup-XXXXXX".
bool isOwnNamedBackup(const QByteArray &targetPath, const QByteArray &name);

// A complete, synced copy of a file's old bytes that keeps them on the disk while the file itself
// is rewritten in place. It stays unless remove() is called, which is only right once the file is
// whole again; until then it is locked like a temporary file.
class Backup {
public:
    // As for TempFile: folder is the folder of targetPath and every step goes through it.
    Backup(int folder, const QByteArray &targetPath);
    explicit Backup(const QByteArray &targetPath);

    // The copy is written and synced under a temporary name and only then given the backup's
    // name, so that a backup is always whole; the folder is synced after. Returns 0 or an errno
    // value: EEXIST when the backup's name is taken by a backup of Tavlo's, e.g. that of a save
    // that did not finish. A name taken by anything else (a link, a folder, another user's
    // file) is left alone, and the backup gets a name with a random part instead.
    int create(QByteArrayView oldBytes);
    int remove();
    const QByteArray &path() const { return m_path; }

private:
    int writeTemp(QByteArrayView oldBytes);
    bool isTavlosBackup(const QByteArray &name) const;
    int renameToOwnName();
    int folder() const { return m_temp.folder(); }

    TempFile m_temp;
    QByteArray m_targetPath;
    QByteArray m_path;
};

} // namespace platform
