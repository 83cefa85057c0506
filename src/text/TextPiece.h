// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <memory>
#include <utility>
#include <vector>

// A run of UTF-16 units inside a buffer whose units never change while any piece refers to them.
// The owner keeps the buffer alive; breaks counts the run's line breaks as if it stood alone, so a
// CR at its very end counts even when the next piece starts with LF.
struct TextPiece {
    std::shared_ptr<const void> owner;
    const char16_t *units = nullptr;
    qint32 length = 0;
    qint32 breaks = 0;

    char16_t first() const { return units[0]; }
    char16_t last() const { return units[length - 1]; }
    const char16_t *end() const { return units + length; }
};

namespace textpiece {

// Pieces are kept short enough for their lengths to fit the piece's fields.
constexpr qsizetype MaximumLength = qsizetype(1) << 30;

// Whether a CR before and an LF after make one break: two texts put together then have one
// break fewer than the sum of their own counts.
inline bool joinsBreak(char16_t before, char16_t after)
{
    return before == u'\r' && after == u'\n';
}

// Line breaks of units: every LF, and every CR not followed by LF; next is the unit after them, 0
// when they stand alone (a CR at the end then counts).
qsizetype countBreaks(const char16_t *units, qsizetype length, char16_t next = 0);

// Breaks of the piece's first length units taken alone, scanning the shorter side.
qsizetype headBreaks(const TextPiece &piece, qsizetype length);

// The piece cut in two before its unit at (0 < at < length).
std::pair<TextPiece, TextPiece> cut(const TextPiece &piece, qsizetype at);

// The piece with more units that follow it in its buffer.
TextPiece extended(const TextPiece &piece, qsizetype extraLength);

// Cuts units into pieces of at most maxLength, moving a cut by one unit rather than separate a CR
// from its LF or the halves of a surrogate pair.
std::vector<TextPiece> cutIntoPieces(const std::shared_ptr<const void> &owner,
                                     const char16_t *units, qsizetype length, qsizetype maxLength);

} // namespace textpiece
