// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFileStamp.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace platform {

// What a save expects to find under the name it writes.
struct ExpectedFile {
    // The file as it was last read or written. Without one the name is expected to be free: a
    // new file stays new, and what appeared there meanwhile is not replaced.
    std::optional<FileStamp> stamp;
    // The user agreed to replace whatever has the name now (Save As onto a name that is taken,
    // or Overwrite after a change on disk). A name that is free is still taken only while free.
    bool replaceAny = false;
};

struct SaveResult {
    enum class Status { Saved, ChangedOnDisk, Failed };
    Status status = Status::Failed;
    // Why it failed.
    QString error;
    // Something the user should know about a save that went through, e.g. a copy left over.
    QString notice;
    // The file as written, when it was saved.
    FileStamp stamp;
};

// Makes bytes the content of the file at path without ever losing the old content: the file is
// replaced by a complete, synced copy, or rewritten in place while a synced backup beside it
// holds the old bytes, which are put back on failure. Temporary files and needless backups that
// killed saves of the file left are removed first. A symbolic link stays a link and its final
// target gets the bytes; what is not a regular file is refused, and so are links and files that
// others may have planted in a shared folder such as /tmp. A file that is not as expected is
// left alone and reported as changed on disk.
SaveResult saveFileContents(const QString &path, QByteArrayView bytes,
                            const ExpectedFile &expected);

} // namespace platform
