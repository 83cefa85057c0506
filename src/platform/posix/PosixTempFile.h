// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFile.h"

#include <sys/types.h>

namespace platform {

// A hidden file beside a target, ".name.tavlo-XXXXXX", that is removed again unless it was
// renamed. From its creation until it is renamed over the target or removed, it carries an
// exclusive flock(), which tells a later save that its owner still runs. Every step goes through
// the descriptor of the target's folder, so that a folder swapped meanwhile changes nothing.
class TempFile {
public:
    // folder, the folder of targetPath, stays open for as long as this object lives; the path
    // only names the files, in messages.
    TempFile(int folder, const QByteArray &targetPath);
    // Opens the folder of targetPath itself.
    explicit TempFile(const QByteArray &targetPath);
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // Creates the file with a new unique name; the umask and a default ACL of the folder apply to
    // mode. Returns 0 or an errno value, as do the others.
    int create(mode_t mode);
    int fd() const { return m_fd.get(); }
    int folder() const { return m_folder; }
    const QByteArray &name() const { return m_name; }
    QByteArray path() const { return folderOf(m_targetPath) + '/' + m_name; }
    // Closes the descriptor for writing; the lock stays.
    int close() { return m_fd.close(); }
    int renameOverTarget();
    // Gives the file another name in the folder, failing with EEXIST where that name is taken.
    // The file is no longer removed at the end of the scope; the lock stays until then.
    int renameWithoutReplacing(const QByteArray &name);
    // Closes and removes the file now rather than at the end of the scope.
    void discard();

private:
    UniqueFd m_ownFolder;
    int m_folder;
    QByteArray m_targetPath;
    QByteArray m_targetName;
    QByteArray m_name;
    UniqueFd m_fd;
    // The same open file as m_fd, so that the lock outlives close().
    UniqueFd m_lock;
    bool m_exists = false;
};

// Whether name, a name in the target's folder, has the form of the target's temporary files.
bool isTempFileName(const QByteArray &targetName, const QByteArray &name);

// Six random letters and digits, to make a name that nobody else can have taken in advance.
QByteArray randomSuffix();
// Whether suffix could have come from randomSuffix().
bool isRandomSuffix(const QByteArray &suffix);

// Renames from to to within folder without ever replacing what is at to: EEXIST when it is
// taken. Where the file system cannot do that in one step, a hard link does the same.
int renameNoReplaceAt(int folder, const QByteArray &from, const QByteArray &to);

} // namespace platform
