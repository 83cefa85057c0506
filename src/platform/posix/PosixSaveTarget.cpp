// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixSaveTarget.h"

#include "platform/posix/PosixSharedFolders.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int maxLinkHops = 40;

// Read access lets the folder be synced and tidied; a folder that only lets the user pass
// through is still good for every other step.
int openFolder(int at, const QByteArray &path, UniqueFd &folder)
{
    folder.reset(::openat(at, path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isValid() && errno == EACCES)
        folder.reset(::openat(at, path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return folder.isValid() ? 0 : errno;
}

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

} // namespace

int openSaveTarget(int at, const QByteArray &path, SaveTarget &target)
{
    UniqueFd folder;
    if (const int error = openFolder(at, folderOf(path), folder))
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

QString followLinks(SaveTarget &target)
{
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        if (!target.exists() || !S_ISLNK(target.status.st_mode))
            return {};
        if (!isTrustedIn(target.status, target.folderStatus))
            return untrustedLinkText(target.path, target.status.st_uid);
        QByteArray link;
        if (const int error = readLinkAt(target.folder.get(), target.name(), link))
            return errnoText(error);
        const bool absolute = link.startsWith('/');
        const QByteArray next = absolute ? link : folderOf(target.path) + '/' + link;
        // A relative link goes on from the folder already open, not from its path again.
        SaveTarget followed;
        const int at = absolute ? AT_FDCWD : target.folder.get();
        if (const int error = openSaveTarget(at, link, followed))
            return errnoText(error);
        followed.path = next;
        target = std::move(followed);
    }
    return errnoText(ELOOP);
}

} // namespace platform
