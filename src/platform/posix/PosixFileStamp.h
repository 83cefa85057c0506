// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <sys/stat.h>

namespace platform {

// What tells one state of a file from another without reading it: which file it is (device and
// inode), its size and when its content last changed, to the nanosecond.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp &a, const FileStamp &b)
    {
        return a.device == b.device && a.inode == b.inode && a.size == b.size &&
               a.modifiedSeconds == b.modifiedSeconds &&
               a.modifiedNanoseconds == b.modifiedNanoseconds;
    }
    friend bool operator!=(const FileStamp &a, const FileStamp &b) { return !(a == b); }
};

// The stamp of what stat() or fstat() told.
FileStamp fileStampOf(const struct stat &status);

} // namespace platform
