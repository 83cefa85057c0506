// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace platform {

// Folders such as /tmp, which other users may write to and whose sticky bit keeps each user's
// names to that user. Anyone can put a name there first, so a save that finds one must not take
// it on trust: a link may lead the text into another file, and a file of someone else's may be
// there to read the text. The kernel can refuse both (fs.protected_symlinks and
// fs.protected_regular), but Tavlo follows links itself and keeps the rules whatever the
// machine's settings are.
bool isSharedFolder(const struct stat &folder);

// Whether what lies in that folder is the user's own or the folder owner's, and so may be
// followed or written into.
bool isTrustedIn(const struct stat &entry, const struct stat &folder);

// Why Open and Save refuse a link, and Save a file, in a shared folder; they name it and its
// owner.
QString untrustedLinkText(const QByteArray &path, uid_t owner);
QString untrustedFileText(const QByteArray &path, uid_t owner);

} // namespace platform
