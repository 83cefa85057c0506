// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileStamp.h"

#include <QString>

#include <optional>
#include <sys/stat.h>

namespace platform {

// The stamp of what stat() or fstat() told.
FileStamp fileStampOf(const struct stat &status);

// The stamp of the file that path leads to now, links followed as the kernel follows them;
// nothing when there is none.
std::optional<FileStamp> stampOfFileAt(const QString &path);

} // namespace platform
