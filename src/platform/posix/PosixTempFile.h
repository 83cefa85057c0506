#pragma once

#include "platform/posix/PosixFile.h"

#include <sys/types.h>

namespace platform {

// A hidden file beside a target, ".name.tavlo-XXXXXX", that is removed again unless it was
// renamed over the target.
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
    int close() { return m_fd.close(); }
    int renameOverTarget();
    // Closes and removes the file now rather than at the end of the scope.
    void discard();

private:
    QByteArray m_targetPath;
    QByteArray m_path;
    UniqueFd m_fd;
    bool m_exists = false;
};

} // namespace platform
