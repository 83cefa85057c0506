// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>

class TextBox;

// The pieces of a text box's text that a screen reader asks for by offset: a character (a
// grapheme cluster), a word or the gap between two words, a sentence, a row as shown, a line with
// its line break, or the whole text. The items of a kind tile the text, so that reading them one
// after another reads it all.
//
// Each answer reads only the text of the item it gives (a sentence, only a bounded window around
// the offset), so that its cost does not grow with the text; a word, line or row longer than
// LongestItem is handed out in parts of that length.
namespace accessibletextitems {

constexpr qsizetype LongestItem = 64 * 1024;

// [start, end) offsets; both -1 when there is no such item.
struct Span {
    qsizetype start = -1;
    qsizetype end = -1;

    bool isValid() const { return start >= 0; }
};

// The item holding the unit at offset. At the text's end, where no unit is, it is the last word,
// sentence, row or line, and an empty character.
Span at(const TextBox &box, qsizetype offset, QAccessible::TextBoundaryType type);
// The items just before and just after that one.
Span before(const TextBox &box, qsizetype offset, QAccessible::TextBoundaryType type);
Span after(const TextBox &box, qsizetype offset, QAccessible::TextBoundaryType type);

} // namespace accessibletextitems
