// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>

// A fault shim for the save code, linked in with -Wl,--wrap so that it sees the file-system
// calls made from the code linked into the test, though not those from within Qt's libraries.
// Meant for a forked child: nothing changes until it is armed or told to fail a call.
namespace killPoints {

// The calls that change a file or a folder: open and openat with O_CREAT, pwrite, ftruncate,
// fsync, fchmod, rename, renameat, renameat2, link, linkat, unlink and unlinkat. From now on, the
// call with number killAt (counting from 1) kills the process instead of happening. Each write is
// cut to a bounded size, so that one large write is many calls.
void arm(int killAt);

// Runs work just before the call with number at (counted as for arm()) happens, once, e.g. to
// let another process change the folder at that very moment.
void before(int at, std::function<void()> work);

// Runs work once, just before the next open of a file that creates nothing and follows no link
// (an open of a file to read it, say), e.g. to swap what has the name at that very moment.
void beforeOpeningAFile(std::function<void()> work);

// Every later call of the named function fails with error instead.
void failEvery(const QByteArray &function, int error);

} // namespace killPoints
