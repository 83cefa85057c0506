// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix/PosixFile.h"
#include "platform/posix/PosixSave.h"
#include "platform/posix/PosixSaveTarget.h"

#include <QByteArrayView>

#include <optional>

// The steps that the ways of saving (a new file, a file renamed over the old one, a rewrite in
// place) have in common, and how their results are told.
namespace platform {

class TempFile;

SaveResult failed(const QString &error);
SaveResult failedWith(int error);
SaveResult changedOnDisk();
SaveResult saved(const FileStamp &stamp, const QString &notice = {});

// What opening the target found when it is no longer the file that was looked at.
inline constexpr int notTheFileLookedAt = -1;
SaveResult failedOrChanged(int error);

// Why a file could not be made beside the target: the folder's own reason, or, where an open
// folder that still exists says there is no such file, that it belongs to the system (/proc).
SaveResult cannotCreateBeside(const SaveTarget &target, int error);

// A rename is only durable once the folder that holds the name is synced.
SaveResult confirmSaved(const SaveTarget &target, const FileStamp &stamp);

// These return 0 or an errno value.

int stampOf(int fd, FileStamp &stamp);

// Writes bytes into the temporary file, gives it mode (when there is one) after writing, which
// can clear the set-user-ID and set-group-ID bits, syncs and closes it.
int fillAndClose(TempFile &temp, QByteArrayView bytes, std::optional<mode_t> mode,
                 FileStamp &stamp);

// Opens the target without following a link; notTheFileLookedAt when the name now leads
// elsewhere than the save looked.
int openLookedAt(const SaveTarget &target, int flags, UniqueFd &fd);

} // namespace platform
