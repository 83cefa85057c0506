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

// ".name.tavlo-", with the name cut short enough that the whole stays within NAME_MAX.
QByteArray namePrefix(const QByteArray &targetName)
{
    constexpr qsizetype decorationLength = 1 + 7 + suffixLength;
    return '.' + nameWithRoomFor(fileNameOf(targetName), decorationLength) + ".tavlo-";
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

} // namespace

QByteArray randomSuffix()
{
    QByteArray suffix(suffixLength, Qt::Uninitialized);
    for (char &c : suffix)
        c = alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return suffix;
}

bool isRandomSuffix(const QByteArray &suffix)
{
    return suffix.size() == suffixLength && std::all_of(suffix.cbegin(), suffix.cend(), [](char c) {
               return c != '\0' && std::strchr(alphabet, c);
           });
}

// renameat2() refuses to replace a name, where the file system supports it; a hard link does the
// same elsewhere.
int renameNoReplaceAt(int folder, const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::linkat(folder, from.constData(), folder, to.constData(), 0) != 0)
        return errno;
    ::unlinkat(folder, from.constData(), 0);
    return 0;
}

TempFile::TempFile(int folder, const QByteArray &targetPath)
    : m_folder(folder)
    , m_targetPath(targetPath)
    , m_targetName(fileNameOf(targetPath))
{}

TempFile::TempFile(const QByteArray &targetPath)
    : m_ownFolder(::open(folderOf(targetPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    , m_folder(m_ownFolder.get())
    , m_targetPath(targetPath)
    , m_targetName(fileNameOf(targetPath))
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
        ::unlinkat(m_folder, m_name.constData(), 0);
    m_exists = false;
    m_lock.reset();
}

int TempFile::create(mode_t mode)
{
    const QByteArray prefix = namePrefix(m_targetName);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QByteArray name = prefix + randomSuffix();
        const int fd = ::openat(m_folder, name.constData(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd.reset(fd);
            m_name = name;
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
    if (::renameat(m_folder, m_name.constData(), m_folder, m_targetName.constData()) != 0)
        return errno;
    m_exists = false;
    m_lock.reset();
    return 0;
}

int TempFile::renameWithoutReplacing(const QByteArray &name)
{
    if (const int error = renameNoReplaceAt(m_folder, m_name, name))
        return error;
    m_name = name;
    m_exists = false;
    return 0;
}

bool isTempFileName(const QByteArray &targetName, const QByteArray &name)
{
    const QByteArray prefix = namePrefix(targetName);
    return name.startsWith(prefix) && isRandomSuffix(name.mid(prefix.size()));
}

} // namespace platform
