// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFile.h"

#include <sys/types.h>

namespace platform {

// A hidden file beside a target, ".name.tavlo-XXXXXX", that is removed again unless it was
// renamed. From its creation until it is renamed over the target or removed, it carries an
// exclusive flock(), which tells a later save that its owner still runs.
class TempFile {
public:
    explicit TempFile(const QByteArray &targetPath);
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // Creates the file with a new unique name; the umask and a default ACL of the folder apply to
    // mode. Returns 0 or an errno value, as do the others.
    int create(mode_t mode);
    int fd() const { return m_fd.get(); }
    const QByteArray &path() const { return m_path; }
    // Closes the descriptor for writing; the lock stays.
    int close() { return m_fd.close(); }
    int renameOverTarget();
    // Gives the file another name beside the target, failing with EEXIST where that name is
    // taken. The file is no longer removed at the end of the scope; the lock stays until then.
    int renameWithoutReplacing(const QByteArray &path);
    // Closes and removes the file now rather than at the end of the scope.
    void discard();

private:
    QByteArray m_targetPath;
    QByteArray m_path;
    UniqueFd m_fd;
    // The same open file as m_fd, so that the lock outlives close().
    UniqueFd m_lock;
    bool m_exists = false;
};

// Whether name, a name in the target's folder, has the form of the target's temporary files.
bool isTempFileName(const QByteArray &targetPath, const QByteArray &name);

} // namespace platform
