// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixTempFile.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int suffixLength = 6;
constexpr int attempts = 100;

QByteArray randomSuffix()
{
    QByteArray suffix(suffixLength, Qt::Uninitialized);
    for (char &c : suffix)
        c = alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return suffix;
}

// ".name.tavlo-", with the name cut short enough that the whole stays within NAME_MAX.
QByteArray namePrefix(const QByteArray &targetPath)
{
    constexpr qsizetype decorationLength = 1 + 7 + suffixLength;
    return '.' + nameWithRoomFor(fileNameOf(targetPath), decorationLength) + ".tavlo-";
}

// Only a save that is tidying up, and about to remove the file, could hold the lock of a file
// this new; that ends the attempt. Where the file system has no locks the file goes without one:
// a later save could then take it for stale and remove it, which makes this save fail.
int lockNew(int fd, UniqueFd &lock)
{
    lock.reset(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!lock.isValid())
        return errno;
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return errno;
    return 0;
}

// renameat2() refuses to replace a name, where the file system supports it; a hard link does the
// same elsewhere.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

} // namespace

TempFile::TempFile(const QByteArray &targetPath)
    : m_targetPath(targetPath)
{}

TempFile::~TempFile()
{
    discard();
}

void TempFile::discard()
{
    m_fd.reset();
    // Removed while still locked, so that no other save takes it for stale meanwhile.
    if (m_exists)
        ::unlink(m_path.constData());
    m_exists = false;
    m_lock.reset();
}

int TempFile::create(mode_t mode)
{
    const QByteArray prefix = folderOf(m_targetPath) + '/' + namePrefix(m_targetPath);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QByteArray path = prefix + randomSuffix();
        const int fd =
            ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd.reset(fd);
            m_path = path;
            m_exists = true;
            return lockNew(fd, m_lock);
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int TempFile::renameOverTarget()
{
    if (::rename(m_path.constData(), m_targetPath.constData()) != 0)
        return errno;
    m_exists = false;
    m_lock.reset();
    return 0;
}

int TempFile::renameWithoutReplacing(const QByteArray &path)
{
    if (const int error = renameNoReplace(m_path, path))
        return error;
    m_path = path;
    m_exists = false;
    return 0;
}

bool isTempFileName(const QByteArray &targetPath, const QByteArray &name)
{
    const QByteArray prefix = namePrefix(targetPath);
    if (name.size() != prefix.size() + suffixLength || !name.startsWith(prefix))
        return false;
    const QByteArray suffix = name.mid(prefix.size());
    return std::all_of(suffix.cbegin(), suffix.cend(),
                       [](char c) { return c != '\0' && std::strchr(alphabet, c); });
}

} // namespace platform
