// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A shim for the save code, linked in with -Wl,--wrap like KillPoints: it holds one chosen call
// of a save on the file system, in whichever thread makes it, until the test lets it go. It
// counts the same calls as KillPoints: open with O_CREAT, pwrite, ftruncate, fsync, fchmod,
// rename, renameat2, link, unlink and unlinkat.
namespace holdPoints {

// Counts those calls from 1 from now on; the one with number holdAt waits, before it happens,
// until release(). With 0 the calls are only counted.
void holdAt(int call);
// The calls counted since holdAt().
int calls();
// Waits until the chosen call is being held; false when no call came to it for many seconds.
bool waitUntilHeld();
// Lets the held call happen, and every later one.
void release();
// A held call goes on by itself after many seconds, so that a program that waits for it fails
// its test instead of hanging it; true when that happened since holdAt().
bool wentOnByItself();

} // namespace holdPoints
