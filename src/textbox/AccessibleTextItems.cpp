// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/AccessibleTextItems.h"

#include "text/TextBoundaries.h"
#include "textbox/TextBox.h"

#include <QTextBoundaryFinder>

namespace accessibletextitems {
namespace {

// How far on either side of an offset sentences are looked for: farther than all but freakish
// sentences.
constexpr qsizetype SentenceReach = 1024;

// Between two sentences the finder finds boundaries that part no items; the item is from the
// start of one sentence to the start of the next, as Qt has it. Its edges are the text's
// characters', wherever Qt's finder puts a boundary or the window's edge falls.
Span sentenceAt(const TextBox &box, qsizetype offset)
{
    const PieceTree &text = box.text();
    const qsizetype from = std::max<qsizetype>(0, offset - SentenceReach);
    const qsizetype to = std::min(text.length(), offset + SentenceReach);
    const QString window = text.text(from, to - from);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, window);
    const qsizetype relative = offset - from;
    finder.setPosition(relative);
    const qsizetype start = finder.isAtBoundary() ? relative : finder.toPreviousBoundary();
    finder.setPosition(relative);
    const qsizetype end = finder.toNextBoundary();
    return {box.boundaries().characterStart(from + std::max<qsizetype>(start, 0)),
            box.boundaries().characterEnd(from + (end < 0 ? window.size() : end))};
}

Span characterAt(const TextBoundaries &boundaries, qsizetype offset)
{
    const qsizetype start = boundaries.characterStart(offset);
    return {start, boundaries.nextCharacter(start)};
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
Span withinLine(const Span &line, const Span &item)
{
    return {std::max(item.start, line.start), std::min(item.end, line.end)};
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
        return offset == length ? Span{length, length} : characterAt(box.boundaries(), offset);
    case QAccessible::WordBoundary: {
        if (isEmptyLineAt(text, offset))
            return {offset, offset};
        offset = std::min(offset, length - 1);
        const Span line = lineAt(text, offset);
        const auto [start, end] = box.boundaries().wordOrGapAt(offset, line.start, line.end);
        return partHolding(withinLine(line, {start, end}), offset);
    }
    default:
        if (length == 0)
            return {0, 0};
        return sentenceAt(box, std::min(offset, length - 1));
    }
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
