// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <sys/stat.h>

// Small file-system helpers shared by the storage tests; none of them goes through the code under
// test.
namespace testFiles {

QByteArray contents(const QString &path);
bool put(const QString &path, const QByteArray &bytes);
std::optional<struct stat> status(const QString &path);
std::optional<struct stat> linkStatus(const QString &path);

// Every entry of folder, hidden ones included.
QStringList entries(const QString &folder);

// Temporary files and backups that a save left behind in folder.
QStringList leftovers(const QString &folder);

// The value of an extended attribute, or nothing with errno set.
std::optional<QByteArray> attribute(const QString &path, const char *name);

// Runs call on another thread; false when it has not returned within the time.
bool returnsWithin(int milliseconds, const std::function<void()> &call);

// A regular file that anyone else opens only after a long wait, as long as this object lives:
// it holds a write lease, which makes the kernel hold every other open() of the file until the
// holder lets go (or /proc/sys/fs/lease-break-time has passed).
class HeldFile {
public:
    explicit HeldFile(const QString &path);
    ~HeldFile();
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

    // False where the file system or the kernel offers no leases.
    bool isHeld() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

} // namespace testFiles
