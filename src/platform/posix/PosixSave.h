// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ExpectedFile.h"
#include "platform/posix/PosixFileStamp.h"

#include <QByteArrayView>
#include <QString>

namespace platform {

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
// killed saves of the file left are removed first. A symbolic link to the expected file stays a
// link and that file gets the bytes; what is not a regular file is refused, and so are links and
// files that others may have planted in a shared folder such as /tmp. A file that is not as
// expected is left alone and reported as changed on disk, unless the user agreed to replace it.
SaveResult saveFileContents(const QString &path, QByteArrayView bytes,
                            const ExpectedFile &expected);

} // namespace platform
