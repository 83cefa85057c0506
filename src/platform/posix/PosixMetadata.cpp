// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixMetadata.h"

#include <QList>

#include <cerrno>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform {
namespace {

// Sizes can change between asking and reading, hence the loop on ERANGE.
template <typename Call> int readGrowing(Call call, QByteArray &out)
{
    for (;;) {
        const ssize_t needed = call(nullptr, 0);
        if (needed < 0)
            return errno;
        out.resize(needed);
        if (needed == 0)
            return 0;
        const ssize_t got = call(out.data(), size_t(out.size()));
        if (got >= 0) {
            out.truncate(got);
            return 0;
        }
        if (errno != ERANGE)
            return errno;
    }
}

bool unsupported(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// An empty list where the file system has no extended attributes.
int namesFrom(int error, const QByteArray &list, QList<QByteArray> &names)
{
    names.clear();
    if (unsupported(error))
        return 0;
    if (error)
        return error;
    for (const QByteArray &name : list.split('\0')) {
        if (!name.isEmpty())
            names.append(name);
    }
    return 0;
}

int fdNames(int fd, QList<QByteArray> &names)
{
    QByteArray list;
    const int error = readGrowing(
        [&](char *buffer, size_t size) { return ::flistxattr(fd, buffer, size); }, list);
    return namesFrom(error, list, names);
}

int copyOne(int sourceFd, int fd, const QByteArray &name)
{
    QByteArray wanted;
    const auto readSource = [&](char *buffer, size_t size) {
        return ::fgetxattr(sourceFd, name.constData(), buffer, size);
    };
    if (const int error = readGrowing(readSource, wanted))
        return error;
    QByteArray present;
    const auto readTarget = [&](char *buffer, size_t size) {
        return ::fgetxattr(fd, name.constData(), buffer, size);
    };
    // Setting only what differs spares attributes, such as security labels, that the file
    // already has right and that a process may not be allowed to set.
    if (readGrowing(readTarget, present) == 0 && present == wanted)
        return 0;
    if (::fsetxattr(fd, name.constData(), wanted.constData(), size_t(wanted.size()), 0) != 0)
        return errno;
    return 0;
}

} // namespace

int applyOwnerAndMode(int fd, const struct stat &status)
{
    struct stat current = {};
    if (::fstat(fd, &current) != 0)
        return errno;
    if ((current.st_uid != status.st_uid || current.st_gid != status.st_gid) &&
        ::fchown(fd, status.st_uid, status.st_gid) != 0) {
        return errno;
    }
    // After fchown(), which clears the set-user-ID and set-group-ID bits.
    if (::fchmod(fd, status.st_mode & 07777) != 0)
        return errno;
    return 0;
}

int copyExtendedAttributes(int sourceFd, int fd)
{
    QList<QByteArray> wanted;
    if (const int error = fdNames(sourceFd, wanted))
        return error;
    for (const QByteArray &name : wanted) {
        if (const int error = copyOne(sourceFd, fd, name))
            return error;
    }
    // A new file can inherit attributes, such as an ACL from the folder's default ACL, that
    // the old file did not have.
    QList<QByteArray> present;
    if (const int error = fdNames(fd, present))
        return error;
    for (const QByteArray &name : present) {
        if (!wanted.contains(name) && ::fremovexattr(fd, name.constData()) != 0)
            return errno;
    }
    return 0;
}

} // namespace platform
