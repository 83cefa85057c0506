// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace platform {

// Removes what saves of the target that were killed left beside it: temporary files, and the
// backup (under its usual name or a name of its own) when it holds exactly what the target holds,
// so that nothing is lost with it. Only regular files of the current user with those exact names
// go, never through a symbolic link, and only when no running save holds their lock. Failures are
// left alone: this is tidying. folder is the open folder of targetPath, and every step goes through
// it.
void removeStaleSaveFiles(int folder, const QByteArray &targetPath);
// Opens the folder of targetPath itself.
void removeStaleSaveFiles(const QByteArray &targetPath);

} // namespace platform
