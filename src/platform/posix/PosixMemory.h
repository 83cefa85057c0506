// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes every large block of memory its own mapping, handed back to the system as soon as it is
// freed. By default the C library raises that limit after the first large free, and from then on
// keeps freed blocks of up to 32 MiB for reuse: after a large file was opened, the memory of its
// read bytes and text slices would then stay with the resident program, which spends its day in
// the tray. Call once, first thing in main.
void returnLargeBlocksToSystem();
