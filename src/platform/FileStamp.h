// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <sys/types.h>

namespace platform {

// What tells one state of a file from another without reading it: which file it is (device and
// inode), its size and when its content last changed, to the nanosecond.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;
    // Who may read and write it (the rwx bits). A file that takes its place is never more open,
    // so that text read from a private file stays private. Not part of what tells one state
    // from another: a chmod leaves the content as it was.
    mode_t permissions = 0666;

    friend bool operator==(const FileStamp &a, const FileStamp &b)
    {
        return a.device == b.device && a.inode == b.inode && a.size == b.size &&
               a.modifiedSeconds == b.modifiedSeconds &&
               a.modifiedNanoseconds == b.modifiedNanoseconds;
    }
    friend bool operator!=(const FileStamp &a, const FileStamp &b) { return !(a == b); }
};

} // namespace platform
