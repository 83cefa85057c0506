#include "StorageTestFiles.h"

#include <QFile>

#include <chrono>
#include <future>
#include <memory>
#include <sys/xattr.h>
#include <thread>

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

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.tavlo-*"), QStringLiteral("*.tavlo-backup")},
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

} // namespace testFiles
