// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// A slice of this many characters goes into the editor in a few milliseconds, so the window can
// repaint between slices while a large file goes in.
inline constexpr qsizetype TextSliceLength = 64 * 1024;

// Cuts a text into slices of at most about sliceLength characters that join up to the text again.
// A slice ends after a line end where one lies within the slice, so that no line is split
// needlessly, and never between the two halves of a surrogate pair. The text is taken, not copied,
// so that only one copy of a large text is held at a time once the slices are made.
QStringList cutIntoSlices(QString &&text, qsizetype sliceLength = TextSliceLength);
