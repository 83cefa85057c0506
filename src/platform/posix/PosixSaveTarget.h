// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFile.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace platform {

// The file that a save writes or an Open reads, found once: its folder open, and the name in that
// folder looked at without following a link. Every later step goes through this folder's
// descriptor, so a folder swapped for another meanwhile changes nothing outside the one that was
// checked.
struct SaveTarget {
    UniqueFd folder;
    struct stat folderStatus = {};
    // The way to the file, for messages and the names of the files beside it.
    QByteArray path;
    // 0, ENOENT when nothing has the name yet, or why the name could not be looked at.
    int lookError = 0;
    // What has the name, when lookError is 0.
    struct stat status = {};

    QByteArray name() const { return fileNameOf(path); }
    bool exists() const { return lookError == 0; }
};

// Opens the folder of path, relative to the folder at (whose path, for messages, is atPath), and
// looks at the name in it. A link on the way to the folder is followed under the same rules as
// one at the name; refusal tells why one was not. Returns 0 or an errno value.
int openSaveTarget(int at, const QByteArray &atPath, const QByteArray &path, SaveTarget &target,
                   QString &refusal);

// Follows symbolic links from the name of from until a name that is not a link, which may not
// exist yet, and makes that name to; from stays as it was. A link in a shared folder is followed
// only when it is the user's or the folder owner's: otherwise EPERM, and refusal tells why.
// Returns 0 or an errno value.
int followLinks(const SaveTarget &from, SaveTarget &to, QString &refusal);

} // namespace platform
