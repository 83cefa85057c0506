// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in: code points and spaces only, until the real boundaries land.
#include "textbox/TextBoundaries.h"

namespace textboundaries {

qsizetype nextCharacter(const PieceTree &text, qsizetype offset)
{
    return std::min(offset + 1, text.length());
}

qsizetype previousCharacter(const PieceTree &, qsizetype offset)
{
    return std::max<qsizetype>(offset - 1, 0);
}

qsizetype nextWord(const PieceTree &text, qsizetype offset)
{
    return nextCharacter(text, offset);
}

qsizetype previousWord(const PieceTree &text, qsizetype offset)
{
    return previousCharacter(text, offset);
}

std::pair<qsizetype, qsizetype> wordAt(const PieceTree &text, qsizetype offset)
{
    return {offset, nextCharacter(text, offset)};
}

} // namespace textboundaries
