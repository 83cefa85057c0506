// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixSave.h"
#include "platform/posix/PosixSaveTarget.h"

#include <QByteArrayView>

namespace platform {

// Writes bytes into the file the target names, the very file that was looked at, keeping its
// inode and so its other hard links, owner and attributes. A synced backup beside it holds the
// old bytes until the new ones are synced, and the old bytes are put back if a write fails. Only
// for the file the note came from: any other file at the name is not the user's to write into.
SaveResult rewriteInPlace(const SaveTarget &target, QByteArrayView bytes);

} // namespace platform
