// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// Qt decodes file names as UTF-8 and puts U+FFFD in place of bytes that are not; such a name
// cannot be turned back into the bytes on disk, so Qt's dialogs leave it out and a path typed
// the way other tools show it leads to another, new file. This tells whether some part of path
// stands for such a name in its folder. Only paths with U+FFFD in them are looked into.
bool standsForUndecodableName(const QString &path);

// Why such a path is neither read nor written.
QString undecodableNameText();

} // namespace platform
