// SPDX-License-Identifier: GPL-3.0-or-later
#include "KillPoints.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr size_t maxWrite = 32 * 1024;

int killAt = 0;
int actAt = 0;
std::function<void()> action;
std::function<void()> openingAction;
int calls = 0;
QByteArray failing;
int failingError = 0;

// Runs the action before the call it was set for; true at the call that must kill the process
// rather than happen.
bool due()
{
    if (killAt == 0 && actAt == 0)
        return false;
    ++calls;
    if (calls == actAt) {
        actAt = 0;
        std::exchange(action, {})();
    }
    return calls == killAt;
}

void die()
{
    ::raise(SIGKILL);
}

// Counts the call, kills the process at the armed one, fails it when asked, or makes it.
template <typename Real, typename... Args> int pass(const char *function, Real real, Args... args)
{
    if (due())
        die();
    if (failing != function)
        return real(args...);
    errno = failingError;
    return -1;
}

} // namespace

void killPoints::arm(int at)
{
    killAt = at;
    calls = 0;
}

void killPoints::before(int at, std::function<void()> work)
{
    actAt = at;
    action = std::move(work);
    calls = 0;
}

void killPoints::beforeOpeningAFile(std::function<void()> work)
{
    openingAction = std::move(work);
}

void killPoints::failEvery(const QByteArray &function, int error)
{
    failing = function;
    failingError = error;
}

// Each wrapper stands in for the C library function of its name; __real_ calls that function.
#define KILL_POINT(name, parameters, ...)                                                          \
    int __real_##name parameters;                                                                  \
    int __wrap_##name parameters                                                                   \
    {                                                                                              \
        return pass(#name, __real_##name, __VA_ARGS__);                                            \
    }

extern "C" {

KILL_POINT(ftruncate, (int fd, off_t length), fd, length)
KILL_POINT(fsync, (int fd), fd)
KILL_POINT(fchmod, (int fd, mode_t mode), fd, mode)
KILL_POINT(rename, (const char *from, const char *to), from, to)
KILL_POINT(renameat, (int fromFolder, const char *from, int toFolder, const char *to), fromFolder,
           from, toFolder, to)
KILL_POINT(renameat2,
           (int fromFolder, const char *from, int toFolder, const char *to, unsigned flags),
           fromFolder, from, toFolder, to, flags)
KILL_POINT(link, (const char *from, const char *to), from, to)
KILL_POINT(linkat, (int fromFolder, const char *from, int toFolder, const char *to, int flags),
           fromFolder, from, toFolder, to, flags)
KILL_POINT(unlink, (const char *path), path)
KILL_POINT(unlinkat, (int folder, const char *path, int flags), folder, path, flags)

int __real_open(const char *path, int flags, ...);
int __real_openat(int folder, const char *path, int flags, ...);
ssize_t __real_pwrite(int fd, const void *buffer, size_t size, off_t offset);

// Only opening with O_CREAT changes the folder.
int __wrap_open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    if ((flags & O_CREAT) && due())
        die();
    return __real_open(path, flags, mode);
}

int __wrap_openat(int folder, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    if ((flags & O_CREAT) && due())
        die();
    const bool ofAFile = !(flags & (O_CREAT | O_PATH | O_DIRECTORY)) && (flags & O_NOFOLLOW);
    if (ofAFile && openingAction)
        std::exchange(openingAction, {})();
    return __real_openat(folder, path, flags, mode);
}

// An armed process writes at most maxWrite bytes at a time, so that one large write is many
// calls; a write killed part way gets half its bytes to the disk first.
ssize_t __wrap_pwrite(int fd, const void *buffer, size_t size, off_t offset)
{
    if (killAt == 0)
        return __real_pwrite(fd, buffer, size, offset);
    size = std::min(size, maxWrite);
    if (due()) {
        __real_pwrite(fd, buffer, size / 2, offset);
        die();
    }
    return __real_pwrite(fd, buffer, size, offset);
}

} // extern "C"
