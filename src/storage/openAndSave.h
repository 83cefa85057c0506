// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ExpectedFile.h"
#include "platform/FileStamp.h"

#include <QByteArray>
#include <QString>

// Reading and writing whole files; safe to call from a worker thread.
namespace openAndSave {

// Larger files are refused rather than read into memory.
inline constexpr qint64 maxFileSize = qint64(256) * 1024 * 1024;

struct ReadResult {
    bool ok = false;
    QByteArray bytes;
    QString error; // a short sentence, e.g. "It is a folder, not a file."
    // The file as it was read.
    platform::FileStamp stamp;
    // Nothing has the name yet, in a folder that exists: a name that Open may take for a new
    // document. A dangling link, a missing folder or an unusable name is an error instead.
    bool missing = false;
};

// Never waits on a FIFO or device: anything but a regular file is refused, as is a path that
// stands for a file name that is not valid UTF-8. A link in a shared folder such as /tmp is
// followed only when it is the user's or the folder owner's, as on Save.
ReadResult readFile(const QString &path);

struct WriteResult {
    bool ok = false;
    QString error;
    // Nothing was written: the file is not as expected.
    bool changedOnDisk = false;
    // Something to tell about a write that succeeded.
    QString notice;
    // The file as written, when ok.
    platform::FileStamp stamp;
};

// The old content stays whole whenever the write fails. Even when the process is killed part
// way, the file holds the whole old or the whole new content, or "name.tavlo-backup" beside it
// holds the whole old content. A symbolic link to the expected file stays a link and that file
// gets the bytes; a new file gets the permissions expected allows (at most 0666 less the umask).
// A path that stands for a file name that is not valid UTF-8 is refused: writing would create
// another file. Links and files that others may have put in a shared folder such as /tmp are
// refused too. Only what expected allows is replaced; the overload without it writes as a note
// that came from the file now at path would, and to a free name as a new note would.
WriteResult writeFile(const QString &path, const QByteArray &bytes,
                      const platform::ExpectedFile &expected);
WriteResult writeFile(const QString &path, const QByteArray &bytes);

} // namespace openAndSave
