// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileStamp.h"

#include <optional>
#include <sys/types.h>

namespace platform {

// What a save expects to find under the name it writes.
struct ExpectedFile {
    // The file as it was last read or written: the only file that the save follows links to,
    // rewrites in place or replaces keeping its owner. Without one the name is expected to be
    // free: a new file stays new, and what appeared there meanwhile is not replaced.
    std::optional<FileStamp> stamp;
    // The user agreed to replace whatever has the name now (Save As onto a name that is taken,
    // or Overwrite after a change on disk). What is not the file of the stamp is then replaced as
    // a whole name, by a new file: in a shared folder, who owns what is at a name says nothing
    // about who put it there, so a link there is not followed and a file there is not written
    // into. A name that is free is still taken only while free.
    bool replaceAny = false;
    // Who may read and write the file the text came from. A file that the save makes is never
    // more open than that (nor than the umask allows), so text read from a private file stays
    // private. 0666 for a note that came from no file.
    mode_t permissions = 0666;
};

} // namespace platform
