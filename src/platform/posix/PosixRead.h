// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFileStamp.h"

#include <QByteArray>
#include <QString>

namespace platform {

struct FileContents {
    QByteArray bytes;
    QString error; // empty when the whole file was read
    // The file as it was read, to tell later whether another program changed it since.
    FileStamp stamp;
};

// Reads a whole regular file without ever waiting on a FIFO or device: those are refused, as is
// a file of more than maxBytes.
FileContents readRegularFile(const QString &path, qint64 maxBytes);

} // namespace platform
