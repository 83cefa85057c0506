// SPDX-License-Identifier: GPL-3.0-or-later
// The word steps follow what QTextCursor does in a plain text document (Qt 6): a word movement
// skips a run of word characters or a run of ASCII separators, then the white space after it
// (Ctrl+Right) or before it (Ctrl+Left); at a line's end or start it steps over the line break
// instead. The runs are of whole grapheme clusters, so the caret never stops inside one, and a
// run of word characters also ends where two of Unicode's words meet, which is how words part
// in scripts that put no spaces between them.
#include "text/TextBoundaries.h"

#include <algorithm>

namespace {

bool isLineBreak(QChar unit)
{
    return unit == u'\r' || unit == u'\n';
}

// The ASCII punctuation and symbols at which a word movement stops, all but '_'.
bool isWordSeparator(QChar unit)
{
    return unit.unicode() > 0x20 && unit.unicode() < 0x7f && !unit.isLetterOrNumber() &&
           unit != u'_';
}

bool partsWords(QChar unit)
{
    return unit.isSpace() || isWordSeparator(unit);
}

} // namespace

TextBoundaries::Kind TextBoundaries::kindOf(QChar first)
{
    // No white space or separator lies outside the first plane: a surrogate is a word's.
    if (first.isSpace())
        return Kind::Space;
    return isWordSeparator(first) ? Kind::Separator : Kind::Word;
}

TextBoundaries::TextBoundaries(const PieceTree &text)
    : m_text(text)
{}

qsizetype TextBoundaries::clamped(qsizetype offset) const
{
    return std::clamp<qsizetype>(offset, 0, m_text.length());
}

qsizetype TextBoundaries::nextCharacter(qsizetype offset) const
{
    offset = clamped(offset);
    if (offset == m_text.length())
        return offset;
    m_characters.attach(m_text);
    return m_characters.following(offset);
}

qsizetype TextBoundaries::previousCharacter(qsizetype offset) const
{
    offset = clamped(offset);
    if (offset == 0)
        return offset;
    m_characters.attach(m_text);
    return m_characters.preceding(offset);
}

qsizetype TextBoundaries::characterStart(qsizetype offset) const
{
    offset = clamped(offset);
    m_characters.attach(m_text);
    return m_characters.isBoundary(offset) ? offset : m_characters.preceding(offset);
}

qsizetype TextBoundaries::characterEnd(qsizetype offset) const
{
    offset = clamped(offset);
    m_characters.attach(m_text);
    return m_characters.isBoundary(offset) ? offset : m_characters.following(offset);
}

TextBoundaries::WordSegment TextBoundaries::wordSegmentAt(qsizetype offset) const
{
    if (m_text.isEmpty())
        return {};
    m_words.attach(m_text);
    return segmentAt(std::clamp<qsizetype>(offset, 0, m_text.length() - 1));
}

std::pair<qsizetype, qsizetype> TextBoundaries::wordOrGapAt(qsizetype offset, qsizetype from,
                                                            qsizetype to) const
{
    const WordSegment segment = wordSegmentAt(offset);
    if (segment.isWord || m_text.isEmpty())
        return {segment.start, segment.end};
    std::pair<qsizetype, qsizetype> gap{segment.start, segment.end};
    WordSegment next;
    while (gap.first > from && !(next = segmentAt(gap.first - 1)).isWord)
        gap.first = next.start;
    while (gap.second < to && !(next = segmentAt(gap.second)).isWord)
        gap.second = next.end;
    return gap;
}

TextBoundaries::WordSegment TextBoundaries::segmentAt(qsizetype offset) const
{
    WordSegment segment;
    segment.end = m_words.following(offset);
    segment.isWord = m_words.endsWord();
    segment.start = m_words.isBoundary(offset) ? offset : m_words.preceding(offset);
    return segment;
}

void TextBoundaries::attachBoth() const
{
    m_characters.attach(m_text);
    m_words.attach(m_text);
}

TextBoundaries::Kind TextBoundaries::kindAt(qsizetype offset) const
{
    return kindOf(m_text.at(offset));
}

TextBoundaries::Kind TextBoundaries::kindBefore(qsizetype offset) const
{
    return kindOf(m_text.at(m_characters.preceding(offset)));
}

bool TextBoundaries::isLineBreakAt(qsizetype offset) const
{
    return isLineBreak(m_text.at(offset));
}

// The first character at or after from that starts with white space or a separator; the text's
// length when none does.
qsizetype TextBoundaries::nextPartingCharacter(qsizetype from) const
{
    for (qsizetype at = from; at < m_text.length();) {
        const PieceTree::Piece piece = m_text.pieceAt(at);
        const qsizetype pieceEnd = piece.start + piece.units.size();
        for (; at < pieceEnd; ++at) {
            if (partsWords(piece.units[at - piece.start]) && m_characters.isBoundary(at))
                return at;
        }
    }
    return m_text.length();
}

// The end of the last character before to that starts with white space or a separator; 0 when
// none does.
qsizetype TextBoundaries::endOfPartingCharacterBefore(qsizetype to) const
{
    for (qsizetype at = to; at > 0;) {
        const PieceTree::Piece piece = m_text.pieceAt(at - 1);
        for (; at > piece.start; --at) {
            if (partsWords(piece.units[at - 1 - piece.start]) && m_characters.isBoundary(at - 1))
                return m_characters.following(at - 1);
        }
    }
    return 0;
}

// The run of word characters from offset ends at white space or a separator, or where two of
// Unicode's words meet without either between them (in Thai, Chinese or Japanese).
qsizetype TextBoundaries::endOfWordRun(qsizetype offset) const
{
    const qsizetype parting = nextPartingCharacter(offset);
    for (WordSegment segment = segmentAt(offset); segment.end < parting;) {
        const WordSegment next = segmentAt(segment.end);
        if (segment.isWord && next.isWord && m_characters.isBoundary(segment.end))
            return segment.end;
        segment = next;
    }
    return parting;
}

qsizetype TextBoundaries::startOfWordRun(qsizetype offset) const
{
    const qsizetype parting = endOfPartingCharacterBefore(offset);
    for (WordSegment segment = segmentAt(offset - 1); segment.start > parting;) {
        const WordSegment before = segmentAt(segment.start - 1);
        if (segment.isWord && before.isWord && m_characters.isBoundary(segment.start))
            return segment.start;
        segment = before;
    }
    return parting;
}

// Past the word characters at offset, or the run of separators; offset itself at white space.
qsizetype TextBoundaries::endOfRun(qsizetype offset) const
{
    if (offset >= m_text.length())
        return offset;
    switch (kindAt(offset)) {
    case Kind::Space:
        return offset;
    case Kind::Word:
        return endOfWordRun(offset);
    case Kind::Separator:
        break;
    }
    while (offset < m_text.length() && kindAt(offset) == Kind::Separator)
        offset = m_characters.following(offset);
    return offset;
}

qsizetype TextBoundaries::skipSpaceAhead(qsizetype offset) const
{
    while (offset < m_text.length() && kindAt(offset) == Kind::Space && !isLineBreakAt(offset))
        offset = m_characters.following(offset);
    return offset;
}

// Back over white space, then over the word characters or the run of separators before it;
// never past the start of the line.
qsizetype TextBoundaries::startOfWordBefore(qsizetype offset) const
{
    while (offset > 0 && !isLineBreakAt(offset - 1) && kindBefore(offset) == Kind::Space)
        offset = m_characters.preceding(offset);
    if (offset == 0 || isLineBreakAt(offset - 1))
        return offset;
    if (kindBefore(offset) == Kind::Word)
        return startOfWordRun(offset);
    while (offset > 0 && kindBefore(offset) == Kind::Separator)
        offset = m_characters.preceding(offset);
    return offset;
}

bool TextBoundaries::isInsideCrLf(qsizetype offset) const
{
    return m_text.at(offset - 1) == u'\r' && m_text.at(offset) == u'\n';
}

qsizetype TextBoundaries::nextWord(qsizetype offset) const
{
    offset = clamped(offset);
    if (offset == m_text.length())
        return offset;
    attachBoth();
    if (isLineBreakAt(offset))
        return m_characters.following(offset);
    return skipSpaceAhead(endOfRun(offset));
}

qsizetype TextBoundaries::previousWord(qsizetype offset) const
{
    offset = clamped(offset);
    // Between CR and LF counts as the end of the line before them.
    offset -= isInsideCrLf(offset);
    if (offset == 0)
        return offset;
    attachBoth();
    if (isLineBreakAt(offset - 1))
        return m_characters.preceding(offset);
    return startOfWordBefore(offset);
}

std::pair<qsizetype, qsizetype> TextBoundaries::wordAt(qsizetype offset) const
{
    offset = clamped(offset);
    offset -= isInsideCrLf(offset);
    attachBoth();
    // The word is the one that holds the character after offset, else the one before offset; at
    // the line's end after white space or a separator there is none.
    qsizetype start = offset;
    const bool atLineStart = offset == 0 || isLineBreakAt(offset - 1);
    const bool atLineEnd = offset == m_text.length() || isLineBreakAt(offset);
    if (!atLineStart && (!atLineEnd || kindBefore(offset) == Kind::Word))
        start = startOfWordBefore(atLineEnd ? offset : m_characters.following(offset));
    return {start, endOfRun(start)};
}

qsizetype TextBoundaries::codePointEdge(const PieceTree &text, qsizetype offset, bool forward)
{
    offset = std::clamp<qsizetype>(offset, 0, text.length());
    const QChar before = text.at(offset - 1);
    const QChar after = text.at(offset);
    const bool inside =
        (before == u'\r' && after == u'\n') || (before.isHighSurrogate() && after.isLowSurrogate());
    return inside ? offset + (forward ? 1 : -1) : offset;
}
