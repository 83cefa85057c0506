// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/AccessibleTextItems.h"

#include "text/TextBoundaries.h"
#include "textbox/TextBox.h"

#include <QTextBoundaryFinder>

namespace accessibletextitems {
namespace {

// How far on either side of an offset characters, words and sentences are looked for: farther
// than any word reaches, and than all but freakish sentences.
constexpr qsizetype FinderReach = 1024;

QTextBoundaryFinder::BoundaryType finderType(QAccessible::TextBoundaryType type)
{
    switch (type) {
    case QAccessible::WordBoundary:
        return QTextBoundaryFinder::Word;
    case QAccessible::SentenceBoundary:
        return QTextBoundaryFinder::Sentence;
    default:
        return QTextBoundaryFinder::Grapheme;
    }
}

// Between two words lie several word boundaries (around each space and punctuation mark), but
// only the ones at a word's start or end part items: the whole gap is one item, as Qt has it.
bool isItemBoundary(const QTextBoundaryFinder &finder)
{
    return finder.boundaryReasons() &
           (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem);
}

// offset must be before the text's end.
Span foundItemAt(const PieceTree &text, qsizetype offset, QTextBoundaryFinder::BoundaryType type)
{
    const qsizetype from = std::max<qsizetype>(0, offset - FinderReach);
    const qsizetype to = std::min(text.length(), offset + FinderReach);
    const QString window = text.text(from, to - from);
    QTextBoundaryFinder finder(type, window);
    const qsizetype relative = offset - from;

    finder.setPosition(relative);
    qsizetype start = relative;
    if (!finder.isAtBoundary() || !isItemBoundary(finder)) {
        while ((start = finder.toPreviousBoundary()) > 0 && !isItemBoundary(finder)) {
        }
    }
    finder.setPosition(relative);
    qsizetype end = -1;
    while ((end = finder.toNextBoundary()) > 0 && end < window.size() && !isItemBoundary(finder)) {
    }
    // Never half a character, wherever the finder puts a boundary (Qt 6.4 finds one inside an
    // emoji after Devanagari or Thai letters) or the window's edge falls.
    return {textboundaries::characterEdge(text, from + std::max<qsizetype>(start, 0), false),
            textboundaries::characterEdge(text, from + (end < 0 ? window.size() : end), true)};
}

// The end of a line's last row moves past the line break, which belongs to that row.
qsizetype withLineBreak(const PieceTree &text, qsizetype end)
{
    const qsizetype line = text.lineAt(end);
    return end == text.lineEnd(line) ? text.lineStart(line + 1) : end;
}

Span rowAt(const TextBox &box, qsizetype offset)
{
    const auto [start, end] = box.rowAt(offset);
    return {start, withLineBreak(box.text(), end)};
}

Span lineAt(const PieceTree &text, qsizetype offset)
{
    const qsizetype line = text.lineAt(offset);
    return {text.lineStart(line), text.lineStart(line + 1)};
}

bool isEmptyLineAt(const PieceTree &text, qsizetype offset)
{
    const qsizetype line = text.lineAt(offset);
    return text.lineStart(line) == offset && text.lineEnd(line) == offset;
}

// A word, or the gap between two, stays within its line and the line's break: an empty line is
// an item of its own, which a screen reader speaks as blank, not the line breaks around it.
Span withinLine(const PieceTree &text, qsizetype offset, const Span &item)
{
    const qsizetype line = text.lineAt(offset);
    return {std::max(item.start, text.lineStart(line)),
            std::min(item.end, text.lineStart(line + 1))};
}

// Parts of a long item are counted from its start, so that they tile it too.
Span partHolding(const Span &item, qsizetype offset)
{
    if (item.end - item.start <= LongestItem)
        return item;
    const qsizetype inside = std::clamp(offset, item.start, item.end - 1) - item.start;
    const qsizetype start = item.start + inside / LongestItem * LongestItem;
    return {start, std::min(item.end, start + LongestItem)};
}

} // namespace

Span at(const TextBox &box, qsizetype offset, QAccessible::TextBoundaryType type)
{
    const PieceTree &text = box.text();
    const qsizetype length = text.length();
    if (offset < 0 || offset > length)
        return {};
    switch (type) {
    case QAccessible::NoBoundary:
        return {0, length};
    case QAccessible::LineBoundary:
        return partHolding(rowAt(box, offset), offset);
    case QAccessible::ParagraphBoundary:
        return partHolding(lineAt(text, offset), offset);
    case QAccessible::CharBoundary:
        if (offset == length)
            return {length, length};
        break;
    case QAccessible::WordBoundary:
        if (isEmptyLineAt(text, offset))
            return {offset, offset};
        offset = std::min(offset, length - 1);
        return withinLine(text, offset, foundItemAt(text, offset, QTextBoundaryFinder::Word));
    default:
        if (length == 0)
            return {0, 0};
        offset = std::min(offset, length - 1);
    }
    return foundItemAt(text, offset, finderType(type));
}

Span before(const TextBox &box, qsizetype offset, QAccessible::TextBoundaryType type)
{
    const Span item = at(box, offset, type);
    if (type == QAccessible::NoBoundary || !item.isValid() || item.start == 0)
        return {};
    return at(box, item.start - 1, type);
}

Span after(const TextBox &box, qsizetype offset, QAccessible::TextBoundaryType type)
{
    const qsizetype length = box.text().length();
    const Span item = at(box, offset, type);
    if (type == QAccessible::NoBoundary || !item.isValid() || item.start == length ||
        (item.end == length && type == QAccessible::CharBoundary))
        return {};
    // After an empty line comes the item that starts the next line.
    if (item.start == item.end && type == QAccessible::WordBoundary) {
        const qsizetype nextLine = box.text().lineAt(item.start) + 1;
        return nextLine < box.text().lineCount() ? at(box, box.text().lineStart(nextLine), type)
                                                 : Span{};
    }
    // After the last word comes none; after the last line, the empty one a final line break opens.
    const Span next = at(box, item.end, type);
    return next.start == item.end ? next : Span{};
}

} // namespace accessibletextitems
