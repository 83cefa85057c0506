// SPDX-License-Identifier: GPL-3.0-or-later
#include "StorageTestFiles.h"

#include <QFile>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <memory>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace testFiles {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

std::optional<struct stat> status(const QString &path)
{
    struct stat result = {};
    if (::stat(QFile::encodeName(path).constData(), &result) != 0)
        return std::nullopt;
    return result;
}

std::optional<struct stat> linkStatus(const QString &path)
{
    struct stat result = {};
    if (::lstat(QFile::encodeName(path).constData(), &result) != 0)
        return std::nullopt;
    return result;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.tavlo-*"), QStringLiteral("*.tavlo-backup"),
                                   QStringLiteral("*.tavlo-backup-*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

std::optional<QByteArray> attribute(const QString &path, const char *name)
{
    const QByteArray native = QFile::encodeName(path);
    QByteArray value(4096, '\0');
    const ssize_t size = ::getxattr(native.constData(), name, value.data(), size_t(value.size()));
    if (size < 0)
        return std::nullopt;
    value.truncate(size);
    return value;
}

bool returnsWithin(int milliseconds, const std::function<void()> &call)
{
    // The future's destructor would wait for a call that hangs; the thread is let go instead, and
    // the test fails.
    auto task = std::make_shared<std::packaged_task<void()>>(call);
    std::future<void> done = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    return done.wait_for(std::chrono::milliseconds(milliseconds)) == std::future_status::ready;
}

HeldFile::HeldFile(const QString &path)
{
    // The kernel tells the holder of a lease about each open with SIGIO, which would end the test.
    std::signal(SIGIO, SIG_IGN);
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    m_held =
        m_fd >= 0 && ::write(m_fd, "held\n", 5) == 5 && ::fcntl(m_fd, F_SETLEASE, F_WRLCK) == 0;
}

HeldFile::~HeldFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace testFiles
