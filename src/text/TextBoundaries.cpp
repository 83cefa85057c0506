// SPDX-License-Identifier: GPL-3.0-or-later
// The rules follow what QTextCursor does in a plain text document (Qt 6): a word movement skips a
// run of word characters or a run of ASCII separators, then the white space after it (Ctrl+Right)
// or before it (Ctrl+Left); at a line's end or start it steps over the line break instead. Here
// the rules run on whole grapheme clusters, so the caret never stops inside one.
#include "text/TextBoundaries.h"

#include "text/LineWindow.h"

#include <optional>

namespace textboundaries {

namespace {

using Kind = LineWindow::Kind;

// How far a step looks: no grapheme cluster is longer than ClusterReach in practice, and a word
// longer than WordReach is crossed in several steps.
constexpr qsizetype ClusterReach = 128;
constexpr qsizetype WordReach = 4096;

bool insideCrLf(const PieceTree &text, qsizetype offset)
{
    return text.at(offset - 1) == u'\r' && text.at(offset) == u'\n';
}

// The units of the line break that starts at offset, or ends there; 0 when there is none.
qsizetype breakAt(const PieceTree &text, qsizetype offset)
{
    if (text.at(offset) == u'\r')
        return text.at(offset + 1) == u'\n' ? 2 : 1;
    return text.at(offset) == u'\n' ? 1 : 0;
}

qsizetype breakBefore(const PieceTree &text, qsizetype offset)
{
    if (text.at(offset - 1) == u'\n')
        return text.at(offset - 2) == u'\r' ? 2 : 1;
    return text.at(offset - 1) == u'\r' ? 1 : 0;
}

// Past the run of the kind of the cluster at offset: a run of separators, or of word characters
// (none when offset is at white space).
qsizetype endOfRun(const LineWindow &line, qsizetype offset)
{
    if (offset >= line.end())
        return offset;
    const Kind kind = line.kindAt(offset) == Kind::Separator ? Kind::Separator : Kind::Word;
    while (offset < line.end() && line.kindAt(offset) == kind)
        offset = line.nextBoundary(offset);
    return offset;
}

qsizetype skipSpaceAhead(const LineWindow &line, qsizetype offset)
{
    while (offset < line.end() && line.kindAt(offset) == Kind::Space)
        offset = line.nextBoundary(offset);
    return offset;
}

// Back over white space, then over the run of separators or word characters before it.
qsizetype startOfWordBefore(const LineWindow &line, qsizetype offset)
{
    while (offset > line.start() && line.kindBefore(offset) == Kind::Space)
        offset = line.previousBoundary(offset);
    if (offset == line.start())
        return offset;
    const Kind kind = line.kindBefore(offset);
    while (offset > line.start() && line.kindBefore(offset) == kind)
        offset = line.previousBoundary(offset);
    return offset;
}

// Where a step forward from offset goes when the end of the text or a line break decides it
// alone, whatever the step's size; nothing inside a line.
std::optional<qsizetype> forwardOverLineEnd(const PieceTree &text, qsizetype offset)
{
    if (offset == text.length())
        return offset;
    if (insideCrLf(text, offset))
        return offset + 1;
    if (const qsizetype lineBreak = breakAt(text, offset))
        return offset + lineBreak;
    return std::nullopt;
}

} // namespace

qsizetype nextCharacter(const PieceTree &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    if (const std::optional<qsizetype> decided = forwardOverLineEnd(text, offset))
        return *decided;
    return LineWindow(text, offset, ClusterReach, ClusterReach).nextBoundary(offset);
}

qsizetype previousCharacter(const PieceTree &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    if (offset == 0)
        return offset;
    if (insideCrLf(text, offset))
        return offset - 1;
    if (const qsizetype lineBreak = breakBefore(text, offset))
        return offset - lineBreak;
    return LineWindow(text, offset, ClusterReach, ClusterReach).previousBoundary(offset);
}

qsizetype characterEdge(const PieceTree &text, qsizetype offset, bool forward)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    const bool inside = insideCrLf(text, offset) ||
                        (text.at(offset - 1).isHighSurrogate() && text.at(offset).isLowSurrogate());
    return inside ? offset + (forward ? 1 : -1) : offset;
}

qsizetype characterStart(const PieceTree &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    if (offset == 0 || offset == text.length())
        return offset;
    return previousCharacter(text, nextCharacter(text, offset));
}

qsizetype characterEnd(const PieceTree &text, qsizetype offset)
{
    const qsizetype start = characterStart(text, offset);
    return start == offset ? start : nextCharacter(text, start);
}

qsizetype nextWord(const PieceTree &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    if (const std::optional<qsizetype> decided = forwardOverLineEnd(text, offset))
        return *decided;
    const LineWindow line(text, offset, ClusterReach, WordReach);
    return skipSpaceAhead(line, endOfRun(line, offset));
}

qsizetype previousWord(const PieceTree &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    // Between CR and LF counts as the end of the line before them.
    offset -= insideCrLf(text, offset);
    if (offset == 0)
        return offset;
    if (const qsizetype lineBreak = breakBefore(text, offset))
        return offset - lineBreak;
    return startOfWordBefore(LineWindow(text, offset, WordReach, ClusterReach), offset);
}

std::pair<qsizetype, qsizetype> wordAt(const PieceTree &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    offset -= insideCrLf(text, offset);
    const LineWindow line(text, offset, WordReach, WordReach);
    // The word is the one that holds the cluster after offset, else the one before offset; at
    // the line's end after white space or a separator there is none.
    qsizetype start = offset;
    if (offset > line.start()) {
        const bool atLineEnd = offset == line.end();
        if (!atLineEnd || line.kindBefore(offset) == Kind::Word)
            start = startOfWordBefore(line, atLineEnd ? offset : line.nextBoundary(offset));
    }
    return {start, endOfRun(line, start)};
}

} // namespace textboundaries
