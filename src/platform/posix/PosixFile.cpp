// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

// The translation context of this file's sentences.
class PosixFile {
    Q_DECLARE_TR_FUNCTIONS(PosixFile)
};

// strerror_r comes in a GNU and an XSI flavour; these overloads take either.
[[maybe_unused]] QString systemMessage(const char *message, const char *)
{
    return QString::fromLocal8Bit(message);
}
[[maybe_unused]] QString systemMessage(int result, const char *buffer)
{
    return result == 0 ? QString::fromLocal8Bit(buffer) : QString();
}

QString fallbackText(int error)
{
    char buffer[256] = {};
    QString text = systemMessage(strerror_r(error, buffer, sizeof buffer), buffer);
    if (text.isEmpty())
        return PosixFile::tr("Unknown error %1.").arg(error);
    if (!text.endsWith(u'.'))
        text += u'.';
    return text;
}

} // namespace

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    reset(other.release());
    return *this;
}

int UniqueFd::release()
{
    return std::exchange(m_fd, -1);
}

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int UniqueFd::close()
{
    // Linux frees the descriptor even when close() fails, so it is never retried.
    const int result = ::close(release());
    return result == 0 ? 0 : errno;
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray nameWithRoomFor(QByteArray name, qsizetype decorationLength)
{
    const qsizetype room = NAME_MAX - decorationLength;
    if (name.size() <= room)
        return name;
    qsizetype cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    name.truncate(cut);
    return name;
}

QString errnoText(int error)
{
    switch (error) {
    case ENOENT:
        return PosixFile::tr("No such file or directory.");
    case EACCES:
        return PosixFile::tr("Permission denied.");
    case EPERM:
        return PosixFile::tr("The operation is not permitted.");
    case EISDIR:
        return folderNotFileText();
    case ENOTDIR:
        return PosixFile::tr("A part of the path is not a folder.");
    case ENOSPC:
        return PosixFile::tr("The disk is full.");
    case EDQUOT:
        return PosixFile::tr("The disk quota is used up.");
    case EROFS:
        return PosixFile::tr("The disk is read-only.");
    case EIO:
        return PosixFile::tr("The disk reported an input/output error.");
    case ENAMETOOLONG:
        return PosixFile::tr("The file name is too long.");
    case ELOOP:
        return PosixFile::tr("The path has too many symbolic links.");
    case EFBIG:
        return PosixFile::tr("The file is too large for the disk.");
    case EMFILE:
    case ENFILE:
        return PosixFile::tr("Too many files are open.");
    case ENOMEM:
        return PosixFile::tr("There is not enough memory.");
    case ETXTBSY:
    case EBUSY:
        return PosixFile::tr("The file is in use.");
    case ENXIO:
    case ENODEV:
        return PosixFile::tr("The device is not available.");
    case EAGAIN:
        return PosixFile::tr("The file is busy; try again.");
    case ESTALE:
        return PosixFile::tr("The file is no longer available on the network disk.");
    default:
        return fallbackText(error);
    }
}

QString folderNotFileText()
{
    return PosixFile::tr("It is a folder, not a file.");
}

QString notRegularFileText()
{
    return PosixFile::tr("It is not a regular file.");
}

int clearNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0)
        return errno;
    return 0;
}

int readToEnd(int fd, qint64 sizeHint, qint64 maxBytes, QByteArray &bytes)
{
    constexpr qint64 step = 64 * 1024;
    // One byte more than expected, so that the end shows without growing the buffer.
    bytes.resize(std::clamp<qint64>(sizeHint + 1, 1, maxBytes + 1));
    qint64 used = 0;
    while (used <= maxBytes) {
        if (used == bytes.size())
            bytes.resize(std::min(std::max(used * 2, used + step), maxBytes + 1));
        const ssize_t count = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            break;
        used += count;
    }
    bytes.truncate(used);
    return 0;
}

int writeAllAt(int fd, QByteArrayView bytes, off_t offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count =
            ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), offset + done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            return ENOSPC;
        done += count;
    }
    return 0;
}

int syncFile(int fd)
{
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

int syncFolder(int folder)
{
    const int error = syncFile(folder);
    return error == EINVAL || error == EBADF ? 0 : error;
}

} // namespace platform
