#include "platform/PosixTempFile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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
    if (m_exists)
        ::unlink(m_path.constData());
    m_exists = false;
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
            return 0;
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

} // namespace platform
