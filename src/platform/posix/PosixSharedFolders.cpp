// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixSharedFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

QString quoted(const QByteArray &path)
{
    return u'"' + QDir::toNativeSeparators(QFile::decodeName(path)) + u'"';
}

// The user's login name, or their number when the system does not know them.
QString userName(uid_t owner)
{
    std::vector<char> buffer(16 * 1024);
    struct passwd entry = {};
    struct passwd *found = nullptr;
    if (::getpwuid_r(owner, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QCoreApplication::translate("PosixFile", "user %1").arg(owner);
}

} // namespace

bool isSharedFolder(const struct stat &folder)
{
    return S_ISDIR(folder.st_mode) && (folder.st_mode & S_ISVTX) &&
           (folder.st_mode & (S_IWGRP | S_IWOTH));
}

bool isTrustedIn(const struct stat &entry, const struct stat &folder)
{
    return !isSharedFolder(folder) || entry.st_uid == ::geteuid() || entry.st_uid == folder.st_uid;
}

QString untrustedLinkText(const QByteArray &path, uid_t owner)
{
    return QCoreApplication::translate(
               "PosixFile",
               "%1 is a symbolic link that belongs to %2, in a folder that other users may write "
               "to and that is not theirs. Anyone could have put it there to lead Tavlo into "
               "another file, to show you its text or to send what you save there, so Tavlo does "
               "not follow it.")
        .arg(quoted(path), userName(owner));
}

QString untrustedFileText(const QByteArray &path, uid_t owner)
{
    return QCoreApplication::translate(
               "PosixFile",
               "%1 belongs to %2, in a folder that other users may write to and that is not "
               "theirs. Anyone could have put it there to read what you save, so Tavlo does not "
               "write into it. Nothing was written.")
        .arg(quoted(path), userName(owner));
}

} // namespace platform
