// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixRead.h"

#include "platform/posix/PosixFile.h"
#include "platform/posix/PosixSaveTarget.h"

#include <QCoreApplication>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {
namespace {

FileContents failure(const QString &error)
{
    FileContents contents;
    contents.error = error;
    return contents;
}

QString tooLargeText(qint64 size, qint64 maxBytes)
{
    const QLocale locale;
    const QString limit = locale.formattedDataSize(maxBytes, 0, QLocale::DataSizeIecFormat);
    if (size < 0) {
        return QCoreApplication::translate("PosixFile", "The file is larger than the limit of %1.")
            .arg(limit);
    }
    return QCoreApplication::translate("PosixFile", "The file is %1, larger than the limit of %2.")
        .arg(locale.formattedDataSize(size, 1, QLocale::DataSizeIecFormat), limit);
}

// Why a file of this kind and size cannot be read; empty when it can.
QString refusalOf(const struct stat &status, qint64 maxBytes)
{
    if (S_ISDIR(status.st_mode))
        return folderNotFileText();
    if (!S_ISREG(status.st_mode))
        return notRegularFileText();
    if (status.st_size > maxBytes)
        return tooLargeText(status.st_size, maxBytes);
    return {};
}

FileContents missingFile()
{
    FileContents contents = failure(errnoText(ENOENT));
    contents.missing = true;
    return contents;
}

QString followFailure(int error, const QString &refusal)
{
    return refusal.isEmpty() ? errnoText(error) : refusal;
}

FileContents readOpenFile(int fd, qint64 maxBytes)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return failure(errnoText(errno));
    if (QString reason = refusalOf(status, maxBytes); !reason.isEmpty())
        return failure(reason);
    if (const int error = clearNonBlocking(fd))
        return failure(errnoText(error));
    // Files such as those in /proc say they are empty and still have content: read to the end.
    FileContents contents;
    contents.stamp = fileStampOf(status);
    if (const int error = readToEnd(fd, status.st_size, maxBytes, contents.bytes))
        return failure(errnoText(error));
    if (contents.bytes.size() > maxBytes)
        return failure(tooLargeText(-1, maxBytes));
    return contents;
}

} // namespace

FileContents readRegularFile(const QString &path, qint64 maxBytes)
{
    // A name that turns into a link between the look and the open is looked at again, under the
    // same rules; one that keeps turning is given up on.
    constexpr int looks = 8;
    for (int look = 0; look < looks; ++look) {
        SaveTarget named;
        QString refusal;
        if (const int error = openSaveTarget(AT_FDCWD, ".", nativePath(path), named, refusal))
            return failure(followFailure(error, refusal));
        if (named.lookError == ENOENT)
            return missingFile();
        SaveTarget file;
        if (const int error = followLinks(named, file, refusal))
            return failure(followFailure(error, refusal));
        if (file.lookError)
            return failure(errnoText(file.lookError));
        // Looking before opening spares a device the side effects of being opened.
        if (QString reason = refusalOf(file.status, maxBytes); !reason.isEmpty())
            return failure(reason);
        // O_NONBLOCK in case the name was swapped for a FIFO since: opening must not wait.
        const UniqueFd fd(::openat(file.folder.get(), file.name().constData(),
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd.isValid() && errno == ELOOP)
            continue;
        if (!fd.isValid())
            return failure(errnoText(errno));
        return readOpenFile(fd.get(), maxBytes);
    }
    return failure(errnoText(ELOOP));
}

} // namespace platform
