// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

void returnLargeBlocksToSystem()
{
#ifdef __GLIBC__
    // Setting the limit at all also stops the C library from raising it.
    constexpr int LargeBlockBytes = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, LargeBlockBytes);
#endif
}
