// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace platform {

// Owns a file descriptor and closes it on every path out of a scope.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(other.release())
    {}
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    bool isValid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int release();
    void reset(int fd = -1);
    // Closes now and returns 0 or the errno of close(): some file systems report a failed
    // write only there.
    int close();

private:
    int m_fd = -1;
};

// The path as the kernel takes it.
QByteArray nativePath(const QString &path);

// "/a/b" gives "/a" and "b"; "b" gives "." and "b".
QByteArray folderOf(const QByteArray &path);
QByteArray fileNameOf(const QByteArray &path);

// The file name cut short enough that decorationLength more bytes keep it within NAME_MAX; a
// cut backs off to the start of a UTF-8 sequence.
QByteArray nameWithRoomFor(QByteArray name, qsizetype decorationLength);

// A short sentence for the user, e.g. "No such file or directory."
QString errnoText(int error);

// Sentences for refusing what is not a regular file.
QString folderNotFileText();
QString notRegularFileText();

// The functions below return 0 or an errno value.

int clearNonBlocking(int fd);

// Reads from the current offset to the end of the file, however long the file says it is.
// bytes holds more than maxBytes when the file turned out to be larger than that.
int readToEnd(int fd, qint64 sizeHint, qint64 maxBytes, QByteArray &bytes);

// Writes every byte at offset, going on after short writes and interrupts; a write that
// makes no progress counts as a full disk.
int writeAllAt(int fd, QByteArrayView bytes, off_t offset);

int syncFile(int fd);

// Makes the names in the open folder durable; a folder opened only as a path (O_PATH), or one on
// a file system that cannot sync folders, gives 0.
int syncFolder(int folder);

} // namespace platform
