// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixRead.h"

#include "platform/posix/PosixFile.h"

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
QString refusal(const struct stat &status, qint64 maxBytes)
{
    if (S_ISDIR(status.st_mode))
        return folderNotFileText();
    if (!S_ISREG(status.st_mode))
        return notRegularFileText();
    if (status.st_size > maxBytes)
        return tooLargeText(status.st_size, maxBytes);
    return {};
}

} // namespace

FileContents readRegularFile(const QString &path, qint64 maxBytes)
{
    const QByteArray native = nativePath(path);
    // Looking before opening spares a device the side effects of being opened.
    struct stat status = {};
    if (::stat(native.constData(), &status) != 0)
        return failure(errnoText(errno));
    if (QString reason = refusal(status, maxBytes); !reason.isEmpty())
        return failure(reason);

    // O_NONBLOCK in case the path was swapped for a FIFO since: opening must not wait for a writer.
    const UniqueFd fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid())
        return failure(errnoText(errno));
    if (::fstat(fd.get(), &status) != 0)
        return failure(errnoText(errno));
    if (QString reason = refusal(status, maxBytes); !reason.isEmpty())
        return failure(reason);
    if (const int error = clearNonBlocking(fd.get()))
        return failure(errnoText(error));

    // Files such as those in /proc say they are empty and still have content: read to the end.
    FileContents contents;
    contents.stamp = fileStampOf(status);
    if (const int error = readToEnd(fd.get(), status.st_size, maxBytes, contents.bytes))
        return failure(errnoText(error));
    if (contents.bytes.size() > maxBytes)
        return failure(tooLargeText(-1, maxBytes));
    return contents;
}

} // namespace platform
