// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixReplace.h"

#include "platform/posix/PosixMetadata.h"
#include "platform/posix/PosixRewriteInPlace.h"
#include "platform/posix/PosixSaveSteps.h"
#include "platform/posix/PosixTempFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>

namespace platform {
namespace {

// The folder refused a new name (the user may not write to it, or it is locked) while the file
// itself may still be writable.
bool folderRefused(int error)
{
    return error == EACCES || error == EPERM;
}

// Without the in-place rewrite, a folder that refuses the new name leaves nothing to do.
SaveResult cannotReplace(const SaveTarget &target, int error)
{
    return failed(QCoreApplication::translate(
                      "PosixFile",
                      "%1 is not the file the note came from, so Tavlo does not write into it but "
                      "puts a new file in its place, which the folder did not allow: %2 Nothing "
                      "was written.")
                      .arg(u'"' + QDir::toNativeSeparators(QFile::decodeName(target.path)) + u'"',
                           errnoText(error)));
}

// For reading its extended attributes; a file the user may write but not read still opens.
int openForMetadata(const SaveTarget &target, UniqueFd &fd)
{
    const int error = openLookedAt(target, O_RDONLY, fd);
    return error == EACCES ? openLookedAt(target, O_WRONLY, fd) : error;
}

SaveResult putNewFile(const SaveTarget &target, QByteArrayView bytes, mode_t permissions,
                      bool replacing)
{
    TempFile temp(target.folder.get(), target.path);
    FileStamp stamp;
    if (const int error = temp.create(permissions & 0777))
        return replacing && folderRefused(error) ? cannotReplace(target, error)
                                                 : cannotCreateBeside(target, error);
    if (const int error = fillAndClose(temp, bytes, std::nullopt, stamp))
        return failedWith(error);
    if (replacing) {
        if (const int error = temp.renameOverTarget())
            return folderRefused(error) ? cannotReplace(target, error) : failedWith(error);
    } else if (const int error = temp.renameWithoutReplacing(target.name())) {
        return error == EEXIST ? changedOnDisk() : failedWith(error);
    }
    return confirmSaved(target, stamp);
}

} // namespace

SaveResult createNewFile(const SaveTarget &target, QByteArrayView bytes, mode_t permissions)
{
    return putNewFile(target, bytes, permissions, false);
}

SaveResult replaceWithNewFile(const SaveTarget &target, QByteArrayView bytes, mode_t permissions)
{
    return putNewFile(target, bytes, permissions, true);
}

SaveResult replaceRegularFile(const SaveTarget &target, QByteArrayView bytes, bool inPlaceAllowed)
{
    TempFile temp(target.folder.get(), target.path);
    // Readable by the owner only until the old file's permissions are in place.
    if (const int error = temp.create(0600)) {
        if (!folderRefused(error))
            return cannotCreateBeside(target, error);
        return inPlaceAllowed ? rewriteInPlace(target, bytes) : cannotReplace(target, error);
    }
    UniqueFd source;
    if (const int error = openForMetadata(target, source))
        return failedOrChanged(error);
    if (applyOwnerAndMode(temp.fd(), target.status) != 0 ||
        copyExtendedAttributes(source.get(), temp.fd()) != 0) {
        temp.discard();
        // Without the rewrite, a new file of the user's own, never more open than this one.
        return inPlaceAllowed ? rewriteInPlace(target, bytes)
                              : replaceWithNewFile(target, bytes, target.status.st_mode);
    }
    FileStamp stamp;
    if (const int error = fillAndClose(temp, bytes, target.status.st_mode, stamp))
        return failedWith(error);
    if (const int error = temp.renameOverTarget()) {
        if (!folderRefused(error))
            return failedWith(error);
        temp.discard();
        return inPlaceAllowed ? rewriteInPlace(target, bytes) : cannotReplace(target, error);
    }
    return confirmSaved(target, stamp);
}

} // namespace platform
