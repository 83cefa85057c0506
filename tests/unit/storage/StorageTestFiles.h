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

// Temporary files and backups that a save left behind in folder.
QStringList leftovers(const QString &folder);

// The value of an extended attribute, or nothing with errno set.
std::optional<QByteArray> attribute(const QString &path, const char *name);

// Runs call on another thread; false when it has not returned within the time.
bool returnsWithin(int milliseconds, const std::function<void()> &call);

} // namespace testFiles
