// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixSave.h"
#include "platform/posix/PosixSaveTarget.h"

#include <QByteArrayView>

#include <sys/types.h>

// The saves that put a complete, synced new file at the target's name, so that what was there
// stays whole until the new file is.
namespace platform {

// The name is free: the new file takes it only while it is free, and what appeared there since
// the save looked is not replaced. The umask applies to permissions.
SaveResult createNewFile(const SaveTarget &target, QByteArrayView bytes, mode_t permissions);

// The new file, with permissions less the umask and nothing else of what it replaces, is renamed
// over whatever has the name now. Never writes into what is there, nor follows it.
SaveResult replaceWithNewFile(const SaveTarget &target, QByteArrayView bytes, mode_t permissions);

// The target is a regular file: the new file gets its owner, group, permissions and extended
// attributes (ACLs among them) and is renamed over it. Where the rename could not keep those, or
// the folder refuses it while the file is writable, the file is rewritten in place instead if
// that is allowed, which is no less safe with its backup and keeps all the file has; otherwise
// a new file of the note's own replaces it, or the save fails, saying why.
SaveResult replaceRegularFile(const SaveTarget &target, QByteArrayView bytes, bool inPlaceAllowed);

} // namespace platform
