// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixSaveTarget.h"

#include "platform/posix/PosixSharedFolders.h"

#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int maxLinkHops = 40;

int readLinkAt(int folder, const QByteArray &name, QByteArray &target)
{
    target.resize(256);
    for (;;) {
        const ssize_t length =
            ::readlinkat(folder, name.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            return errno;
        if (length < target.size()) {
            target.truncate(length);
            return 0;
        }
        target.resize(target.size() * 2);
    }
}

// A folder on the way, opened only to go on from it.
struct Step {
    UniqueFd folder;
    struct stat status = {};
};

int openStep(int at, const char *name, Step &step)
{
    step.folder.reset(::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!step.folder.isValid())
        return errno;
    return ::fstat(step.folder.get(), &step.status) == 0 ? 0 : errno;
}

// Walks path one folder at a time, as the kernel would, but follows a link on the way only where
// the shared-folder rules allow it. refusal says why not.
int walkFolders(int at, const QByteArray &atPath, const QByteArray &path, Step &step,
                QString &refusal)
{
    QList<QByteArray> parts = path.split('/');
    QByteArray walked = path.startsWith('/') ? QByteArray() : atPath;
    if (const int error = openStep(path.startsWith('/') ? AT_FDCWD : at,
                                   path.startsWith('/') ? "/" : ".", step)) {
        return error;
    }
    int hops = 0;
    while (!parts.isEmpty()) {
        const QByteArray part = parts.takeFirst();
        if (part.isEmpty() || part == ".")
            continue;
        struct stat status = {};
        if (::fstatat(step.folder.get(), part.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        if (S_ISLNK(status.st_mode)) {
            if (!isTrustedIn(status, step.status)) {
                refusal = untrustedLinkText(walked + '/' + part, status.st_uid);
                return EPERM;
            }
            QByteArray link;
            if (const int error = readLinkAt(step.folder.get(), part, link))
                return error;
            if (++hops > maxLinkHops)
                return ELOOP;
            parts = link.split('/') + parts;
            if (link.startsWith('/')) {
                walked.clear();
                if (const int error = openStep(AT_FDCWD, "/", step))
                    return error;
            }
            continue;
        }
        Step next;
        if (const int error = openStep(step.folder.get(), part.constData(), next))
            return error;
        step = std::move(next);
        walked += '/' + part;
    }
    return 0;
}

// Read access lets the folder be synced and tidied; a folder that only lets the user pass
// through is still good for every other step.
int openFolder(int at, const QByteArray &atPath, const QByteArray &path, UniqueFd &folder,
               QString &refusal)
{
    Step step;
    if (const int error = walkFolders(at, atPath, path, step, refusal))
        return error;
    folder.reset(::openat(step.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isValid())
        folder = std::move(step.folder);
    return 0;
}

// The same name in the same open folder, to go on from without changing the original.
int copyTarget(const SaveTarget &from, SaveTarget &to)
{
    to.folder.reset(::fcntl(from.folder.get(), F_DUPFD_CLOEXEC, 0));
    if (!to.folder.isValid())
        return errno;
    to.folderStatus = from.folderStatus;
    to.path = from.path;
    to.lookError = from.lookError;
    to.status = from.status;
    return 0;
}

} // namespace

int openSaveTarget(int at, const QByteArray &atPath, const QByteArray &path, SaveTarget &target,
                   QString &refusal)
{
    UniqueFd folder;
    if (const int error = openFolder(at, atPath, folderOf(path), folder, refusal))
        return error;
    struct stat folderStatus = {};
    if (::fstat(folder.get(), &folderStatus) != 0)
        return errno;
    // "folder/" names no file in the folder.
    if (fileNameOf(path).isEmpty())
        return EISDIR;
    target.folder = std::move(folder);
    target.folderStatus = folderStatus;
    target.path = path;
    target.status = {};
    target.lookError = ::fstatat(target.folder.get(), target.name().constData(), &target.status,
                                 AT_SYMLINK_NOFOLLOW) == 0
                           ? 0
                           : errno;
    return 0;
}

int followLinks(const SaveTarget &from, SaveTarget &to, QString &refusal)
{
    if (const int error = copyTarget(from, to))
        return error;
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        if (!to.exists() || !S_ISLNK(to.status.st_mode))
            return 0;
        if (!isTrustedIn(to.status, to.folderStatus)) {
            refusal = untrustedLinkText(to.path, to.status.st_uid);
            return EPERM;
        }
        QByteArray link;
        if (const int error = readLinkAt(to.folder.get(), to.name(), link))
            return error;
        const bool absolute = link.startsWith('/');
        const QByteArray next = absolute ? link : folderOf(to.path) + '/' + link;
        // A relative link goes on from the folder already open, not from its path again.
        SaveTarget followed;
        const int at = absolute ? AT_FDCWD : to.folder.get();
        if (const int error = openSaveTarget(at, folderOf(to.path), link, followed, refusal))
            return error;
        followed.path = next;
        to = std::move(followed);
    }
    return ELOOP;
}

} // namespace platform
