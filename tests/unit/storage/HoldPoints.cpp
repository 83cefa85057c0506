// SPDX-License-Identifier: GPL-3.0-or-later
#include "HoldPoints.h"

#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

constexpr std::chrono::seconds patience(30);

// Shared by the test's thread and the worker that makes the calls.
struct Hold {
    std::mutex mutex;
    std::condition_variable changed;
    int holdAt = 0;
    int calls = 0;
    bool held = false;
    bool released = false;
    bool wentOnByItself = false;
};

Hold &hold()
{
    static Hold shared;
    return shared;
}

// Counts the call and, at the chosen one, waits for release().
void passPoint()
{
    Hold &h = hold();
    std::unique_lock lock(h.mutex);
    if (++h.calls != h.holdAt)
        return;
    h.held = true;
    h.changed.notify_all();
    if (!h.changed.wait_for(lock, patience, [&h] { return h.released; }))
        h.wentOnByItself = true;
}

} // namespace

void holdPoints::holdAt(int call)
{
    Hold &h = hold();
    const std::lock_guard lock(h.mutex);
    h.holdAt = call;
    h.calls = 0;
    h.held = false;
    h.released = false;
    h.wentOnByItself = false;
}

int holdPoints::calls()
{
    Hold &h = hold();
    const std::lock_guard lock(h.mutex);
    return h.calls;
}

bool holdPoints::waitUntilHeld()
{
    Hold &h = hold();
    std::unique_lock lock(h.mutex);
    return h.changed.wait_for(lock, patience, [&h] { return h.held; });
}

void holdPoints::release()
{
    Hold &h = hold();
    const std::lock_guard lock(h.mutex);
    h.released = true;
    h.changed.notify_all();
}

bool holdPoints::wentOnByItself()
{
    Hold &h = hold();
    const std::lock_guard lock(h.mutex);
    return h.wentOnByItself;
}

// Each wrapper stands in for the C library function of its name; __real_ calls that function.
#define HOLD_POINT(type, name, parameters, ...)                                                    \
    type __real_##name parameters;                                                                 \
    type __wrap_##name parameters                                                                  \
    {                                                                                              \
        passPoint();                                                                               \
        return __real_##name(__VA_ARGS__);                                                         \
    }

extern "C" {

HOLD_POINT(ssize_t, pwrite, (int fd, const void *buffer, size_t size, off_t offset), fd, buffer,
           size, offset)
HOLD_POINT(int, ftruncate, (int fd, off_t length), fd, length)
HOLD_POINT(int, fsync, (int fd), fd)
HOLD_POINT(int, fchmod, (int fd, mode_t mode), fd, mode)
HOLD_POINT(int, rename, (const char *from, const char *to), from, to)
HOLD_POINT(int, renameat2,
           (int fromFolder, const char *from, int toFolder, const char *to, unsigned flags),
           fromFolder, from, toFolder, to, flags)
HOLD_POINT(int, link, (const char *from, const char *to), from, to)
HOLD_POINT(int, unlink, (const char *path), path)
HOLD_POINT(int, unlinkat, (int folder, const char *path, int flags), folder, path, flags)

int __real_open(const char *path, int flags, ...);

// Only opening with O_CREAT changes the folder.
int __wrap_open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    if (flags & O_CREAT)
        passPoint();
    return __real_open(path, flags, mode);
}

} // extern "C"
