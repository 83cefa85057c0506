// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"
#include "text/PieceTreeText.h"

#include <unicode/ubrk.h>

#include <memory>

// One of ICU's break iterators (UAX #29: grapheme clusters or words) reading a piece tree in
// place. It is opened on its first use, so that a note nobody steps through costs nothing. A
// step looks only at the text around it: ICU backs up to a safe place near the offset and reads
// on from there.
class BreakIterator {
public:
    enum class Unit { Character, Word };

    explicit BreakIterator(Unit unit);

    // Reads text from now on, as it is now: attach again after the text changes.
    void attach(const PieceTree &text);

    // The first boundary after offset (the text's length at most) and the last one before it (0
    // at least); whether offset is one. offset lies in the text.
    qsizetype following(qsizetype offset);
    qsizetype preceding(qsizetype offset);
    bool isBoundary(qsizetype offset);
    // For words, whether the segment that ends at the boundary found last is a word (letters,
    // digits, kana or ideographs) rather than white space, punctuation or a symbol.
    bool endsWord() const;

private:
    struct Closer {
        void operator()(UBreakIterator *iterator) const { ubrk_close(iterator); }
    };

    bool open();

    Unit m_unit;
    bool m_tried = false;
    std::unique_ptr<UBreakIterator, Closer> m_iterator;
    PieceTreeText m_reader;
    const PieceTree *m_text = nullptr;
};
