// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixSave.h"

#include "platform/posix/PosixFile.h"
#include "platform/posix/PosixReplace.h"
#include "platform/posix/PosixRewriteInPlace.h"
#include "platform/posix/PosixSaveSteps.h"
#include "platform/posix/PosixSaveTarget.h"
#include "platform/posix/PosixSharedFolders.h"
#include "platform/posix/PosixStaleFiles.h"

#include <QCoreApplication>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// A look that was denied says nothing about what has the name: it may be the note's file or
// anything else.
bool provesNothing(int error)
{
    return error == EACCES;
}

SaveResult refusedLink(const QString &refusal)
{
    return failed(refusal + u' ' +
                  QCoreApplication::translate("PosixFile", "Nothing was written."));
}

SaveResult failedToFollow(int error, const QString &refusal)
{
    return refusal.isEmpty() ? failedWith(error) : refusedLink(refusal);
}

bool isUsersOwnSingleFile(const struct stat &status)
{
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid() && status.st_nlink == 1;
}

// A file the user may not write to is not replaced behind their back.
int mayWrite(const SaveTarget &target)
{
    return ::faccessat(target.folder.get(), target.name().constData(), W_OK, AT_EACCESS) == 0
               ? 0
               : errno;
}

// The file the note came from, reached through links that may be followed.
SaveResult replaceExpected(const SaveTarget &target, QByteArrayView bytes)
{
    if (S_ISDIR(target.status.st_mode))
        return failed(folderNotFileText());
    if (!S_ISREG(target.status.st_mode))
        return failed(notRegularFileText());
    if (!isTrustedIn(target.status, target.folderStatus))
        return failed(untrustedFileText(target.path, target.status.st_uid));
    if (const int error = mayWrite(target))
        return failedWith(error);
    removeStaleSaveFiles(target.folder.get(), target.path);
    // A rename would leave the other names of a hard-linked file with the old content.
    if (target.status.st_nlink > 1)
        return rewriteInPlace(target, bytes);
    return replaceRegularFile(target, bytes, true);
}

// What has the name is not the note's file, and the user agreed to replace it. Only the name is
// replaced: what it held or led to stays as it was, and gives the new file nothing but an upper
// bound of its permissions. The user's own file with no other name is the one exception: it keeps
// what it has, as when it is the note's own.
SaveResult replaceName(const SaveTarget &target, QByteArrayView bytes, mode_t permissions)
{
    const mode_t kind = target.status.st_mode;
    if (S_ISDIR(kind))
        return failed(folderNotFileText());
    if (!S_ISREG(kind) && !S_ISLNK(kind))
        return failed(notRegularFileText());
    if (!isTrustedIn(target.status, target.folderStatus)) {
        return S_ISLNK(kind) ? refusedLink(untrustedLinkText(target.path, target.status.st_uid))
                             : failed(untrustedFileText(target.path, target.status.st_uid));
    }
    if (S_ISREG(kind)) {
        if (const int error = mayWrite(target))
            return failedWith(error);
    }
    removeStaleSaveFiles(target.folder.get(), target.path);
    if (isUsersOwnSingleFile(target.status))
        return replaceRegularFile(target, bytes, false);
    return replaceWithNewFile(target, bytes,
                              permissions & (S_ISREG(kind) ? kind & 0777 : mode_t(0777)));
}

// Nothing is written: the user is asked whether to replace what took the name, unless the name
// cannot be used at all, which is said at once.
SaveResult notAsExpected(int followError, const QString &refusal, const ExpectedFile &expected)
{
    // A link that is not followed has still taken a name that was to be free.
    const bool refusedNewName = !refusal.isEmpty() && !expected.stamp;
    if (!followError || provesNothing(followError) || refusedNewName)
        return changedOnDisk();
    return failedToFollow(followError, refusal);
}

} // namespace

SaveResult saveFileContents(const QString &path, QByteArrayView bytes, const ExpectedFile &expected)
{
    SaveTarget target;
    QString refusal;
    if (const int error = openSaveTarget(AT_FDCWD, ".", nativePath(path), target, refusal))
        return failedToFollow(error, refusal);
    if (target.lookError == ENOENT) {
        removeStaleSaveFiles(target.folder.get(), target.path);
        return createNewFile(target, bytes, expected.permissions);
    }
    if (target.lookError) {
        return provesNothing(target.lookError) && !expected.replaceAny
                   ? changedOnDisk()
                   : failedWith(target.lookError);
    }
    SaveTarget followed;
    const int followError = followLinks(target, followed, refusal);
    if (!followError && expected.stamp && followed.exists() &&
        fileStampOf(followed.status) == *expected.stamp) {
        return replaceExpected(followed, bytes);
    }
    if (expected.replaceAny)
        return replaceName(target, bytes, expected.permissions);
    return notAsExpected(followError, refusal, expected);
}

} // namespace platform
