// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <utility>

// Where the caret may stop and what a word is, found in a window of text around an offset so that
// the cost does not grow with the line or the text. A line break (CR LF counting as one) is a
// boundary of its own everywhere.
namespace textboundaries {

// The next and previous grapheme cluster boundaries: Left, Right, Delete and Backspace step over
// whole clusters (a letter and its accents, an emoji sequence, CR LF).
qsizetype nextCharacter(const PieceTree &text, qsizetype offset);
qsizetype previousCharacter(const PieceTree &text, qsizetype offset);

// offset itself, unless it falls inside a surrogate pair or between CR and LF, where no caret may
// stand and no edit may cut: then the end of the pair or CR LF when forward, else its start.
qsizetype characterEdge(const PieceTree &text, qsizetype offset, bool forward);

// The start and the end of the character (a whole cluster) that offset falls in; offset itself
// where it is a character's edge already. For positions from outside, which may fall anywhere.
qsizetype characterStart(const PieceTree &text, qsizetype offset);
qsizetype characterEnd(const PieceTree &text, qsizetype offset);

// Ctrl+Right and Ctrl+Left, as a plain text box moves them.
qsizetype nextWord(const PieceTree &text, qsizetype offset);
qsizetype previousWord(const PieceTree &text, qsizetype offset);

// The word a double-click at offset selects, as [start, end).
std::pair<qsizetype, qsizetype> wordAt(const PieceTree &text, qsizetype offset);

} // namespace textboundaries
