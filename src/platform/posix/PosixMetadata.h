// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <sys/stat.h>

namespace platform {

// These return 0 or an errno value.

// Gives the file open at fd the owner, group and permission bits that status describes.
int applyOwnerAndMode(int fd, const struct stat &status);

// Makes the extended attributes of the file open at fd, ACLs among them (on Linux the
// system.posix_acl_access attribute), the same as those of the file open at sourceFd.
int copyExtendedAttributes(int sourceFd, int fd);

} // namespace platform
