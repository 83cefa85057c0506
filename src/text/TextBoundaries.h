// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/BreakIterator.h"
#include "text/PieceTree.h"

#include <utility>

// Where the caret may stop and what a word is, by Unicode's rules of text segmentation (UAX #29,
// from ICU) over the whole text, so that every script and any length of line or word is stepped
// alike, at the cost of what a step crosses. Each call reads the text as it is then; one iterator
// of each kind serves every call, opened when first needed.
//
// Offsets are clamped to the text. Asking moves the iterators, never what they answer, so the
// calls are const.
class TextBoundaries {
public:
    // text must outlive this; it may change between calls.
    explicit TextBoundaries(const PieceTree &text);

    // The next and previous grapheme cluster boundaries: Left, Right, Delete and Backspace step
    // over whole clusters (a letter and its accents, an emoji sequence, a flag, CR LF).
    qsizetype nextCharacter(qsizetype offset) const;
    qsizetype previousCharacter(qsizetype offset) const;

    // The start and the end of the character (a whole cluster) that offset falls in; offset itself
    // where it is a character's edge already. For positions from outside, which may fall anywhere.
    qsizetype characterStart(qsizetype offset) const;
    qsizetype characterEnd(qsizetype offset) const;

    // Ctrl+Right and Ctrl+Left, as a plain text box moves them: over a run of word characters or
    // of ASCII punctuation and the white space after it (Ctrl+Right) or before it (Ctrl+Left); at
    // a line's end or start, over the line break and no further. Where two words meet without a
    // space (Thai, Chinese, Japanese), Unicode's words part the run.
    qsizetype nextWord(qsizetype offset) const;
    qsizetype previousWord(qsizetype offset) const;

    // The word a double-click at offset selects, as [start, end).
    std::pair<qsizetype, qsizetype> wordAt(qsizetype offset) const;

    // The segment between two word boundaries that holds the unit at offset (before the text's
    // end): a word, or white space, a punctuation mark, a symbol, a line break.
    struct WordSegment {
        qsizetype start = 0;
        qsizetype end = 0;
        bool isWord = false;
    };
    WordSegment wordSegmentAt(qsizetype offset) const;
    // The word that holds the unit at offset, or the whole gap between two words (white space,
    // punctuation, symbols) within [from, to): a screen reader's word item.
    std::pair<qsizetype, qsizetype> wordOrGapAt(qsizetype offset, qsizetype from,
                                                qsizetype to) const;

    // offset itself, unless it falls inside a surrogate pair or between CR and LF, where no caret
    // may stand and no edit may cut: then the end of the pair or CR LF when forward, else its
    // start. Unlike the steps, it leaves the rest of a cluster to whoever asks (an input method
    // may take one accent off a letter).
    static qsizetype codePointEdge(const PieceTree &text, qsizetype offset, bool forward);

private:
    // How a word movement sees a character, by its first unit.
    enum class Kind { Word, Space, Separator };
    static Kind kindOf(QChar first);

    WordSegment segmentAt(qsizetype offset) const;
    void attachBoth() const;
    Kind kindAt(qsizetype offset) const;
    Kind kindBefore(qsizetype offset) const;
    bool isLineBreakAt(qsizetype offset) const;
    bool isInsideCrLf(qsizetype offset) const;
    qsizetype nextPartingCharacter(qsizetype from) const;
    qsizetype endOfPartingCharacterBefore(qsizetype to) const;
    qsizetype endOfWordRun(qsizetype offset) const;
    qsizetype startOfWordRun(qsizetype offset) const;
    qsizetype endOfRun(qsizetype offset) const;
    qsizetype skipSpaceAhead(qsizetype offset) const;
    qsizetype startOfWordBefore(qsizetype offset) const;
    qsizetype clamped(qsizetype offset) const;

    const PieceTree &m_text;
    mutable BreakIterator m_characters{BreakIterator::Unit::Character};
    mutable BreakIterator m_words{BreakIterator::Unit::Word};
};
