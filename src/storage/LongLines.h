// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// The editor lays out a whole line again on every key press in it, and the cost grows faster than
// the line: a line of 32,000 characters already takes a tenth of a second per key, one of a
// million characters minutes. Files with longer lines than this are opened only when the user
// agrees.
inline constexpr qsizetype SlowLineLength = 10000;

// The length in characters of the longest line of a text with '\n' line ends.
qsizetype longestLineLength(QStringView text);
