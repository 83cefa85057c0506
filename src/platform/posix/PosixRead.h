// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFileStamp.h"

#include <QByteArray>
#include <QString>

namespace platform {

struct FileContents {
    QByteArray bytes;
    QString error; // empty when the whole file was read
    // Nothing has the name yet, in a folder that exists: the name of a new file. A dangling link,
    // a missing folder or a name too long for the folder is an error instead.
    bool missing = false;
    // The file as it was read, to tell later whether another program changed it since.
    FileStamp stamp;
};

// Reads a whole regular file without ever waiting on a FIFO or device: those are refused, as is
// a file of more than maxBytes. The way there is followed as a save follows it: a link in a
// shared folder only when it is the user's or the folder owner's. The file is opened once, by its
// name in its open folder without following a link, and what it is, its size and its stamp come
// from that open file.
FileContents readRegularFile(const QString &path, qint64 maxBytes);

} // namespace platform
