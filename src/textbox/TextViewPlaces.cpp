// SPDX-License-Identifier: GPL-3.0-or-later
// Places on screen and in the text: the caret's and a character's rectangles, the offset at a
// point, and the moves that go by what is shown (rows, the column, left and right).
#include "textbox/TextView.h"

#include "text/TextBoundaries.h"

#include <QGlyphRun>
#include <QTextLine>

QRectF TextView::caretRect(qsizetype position)
{
    QRectF found;
    const TextRows::RowRef target = m_rows.rowFor(position);
    const qsizetype rowStart = target.start();
    forEachVisibleRow([&](const Row &row) {
        if (row.chunk != target.chunk || row.index != target.index)
            return row.chunk->rowStart(row.index) <= rowStart;
        const QTextLine line = row.chunk->layout->lineAt(row.index);
        const qreal x = Margin + line.cursorToX(row.chunk->toLayout(position));
        found = QRectF(x, row.y, 1, line.height());
        return false;
    });
    return found;
}

QRectF TextView::characterRect(qsizetype start, qsizetype end)
{
    QRectF found;
    const qsizetype rowStart = m_rows.rowStartFor(start);
    forEachVisibleRow([&](const Row &row) {
        if (row.chunk->rowStart(row.index) != rowStart)
            return row.chunk->rowStart(row.index) < rowStart;
        const QTextLine line = row.chunk->layout->lineAt(row.index);
        int from = int(start - row.chunk->start());
        const qsizetype preedit = m_rows.preeditPosition();
        if (preedit >= 0 && start >= preedit)
            from += int(m_rows.preedit().size());
        for (const QGlyphRun &run : line.glyphRuns(from, int(end - start)))
            found |= run.boundingRect();
        found.translate(Margin, row.y - line.y());
        return false;
    });
    return found;
}

qsizetype TextView::rowPosition(const RowChunk &chunk, int row, qreal x) const
{
    const QTextLine line = chunk.layout->lineAt(row);
    // In right-to-left rows Qt may answer the offset just before the row; the row holds the caret.
    qsizetype position =
        std::max(chunk.fromLayout(line.xToCursor(x - Margin)), chunk.rowStart(row));
    // A click, Up or Down past a wrapped row's end stays on that row: before the space it wraps
    // at, or before the last character of a row cut inside a word. The row's end is the next
    // row's start, where Up would find the same row again.
    const qsizetype end = chunk.rowEnd(row);
    if (position >= end && (row + 1 < chunk.rowCount || !chunk.endsLine)) {
        const bool atSpace = m_text.at(end - 1).isSpace();
        position =
            std::max(chunk.rowStart(row), atSpace ? end - 1 : m_boundaries.previousCharacter(end));
    }
    return std::min(position, m_text.length());
}

qsizetype TextView::positionAt(const QPointF &point)
{
    qsizetype found = -1;
    qsizetype last = 0;
    forEachVisibleRow([&](const Row &row) {
        const qreal height = row.chunk->layout->lineAt(row.index).height();
        last = rowPosition(*row.chunk, row.index, point.x());
        if (point.y() < row.y + height) {
            found = last;
            return false;
        }
        return true;
    });
    return found >= 0 ? found : last;
}

qreal TextView::caretX(qsizetype position)
{
    const TextRows::RowRef row = m_rows.rowFor(position);
    return Margin + row.line().cursorToX(row.chunk->toLayout(position));
}

qsizetype TextView::positionRowsAway(qsizetype position, int rows, qreal x)
{
    qsizetype start = m_rows.rowStartFor(position);
    for (; rows < 0; ++rows) {
        const qsizetype above = m_rows.previousRowStart(start);
        if (above < 0)
            return 0;
        start = above;
    }
    for (; rows > 0; --rows) {
        const qsizetype below = m_rows.nextRowStart(start);
        if (below < 0)
            return m_text.length();
        start = below;
    }
    const TextRows::RowRef row = m_rows.rowFor(start);
    return rowPosition(*row.chunk, row.index, x);
}

qsizetype TextView::visualMove(qsizetype position, bool right)
{
    const RowChunk &chunk = *m_rows.rowFor(position).chunk;
    const int local = chunk.toLayout(position);
    const int moved =
        right ? chunk.layout->rightCursorPosition(local) : chunk.layout->leftCursorPosition(local);
    if (moved != local)
        return chunk.fromLayout(moved);
    return -1;
}

qsizetype TextView::rowStart(qsizetype position)
{
    return m_rows.rowStartFor(position);
}

qsizetype TextView::rowEnd(qsizetype position)
{
    const TextRows::RowRef row = m_rows.rowFor(position);
    const qsizetype end = row.end();
    return row.wraps() && end > row.start() && m_text.at(end - 1).isSpace() ? end - 1 : end;
}

std::pair<qsizetype, qsizetype> TextView::rowAt(qsizetype position)
{
    const TextRows::RowRef row = m_rows.rowFor(position);
    return {row.start(), row.end()};
}

qsizetype TextView::characterAt(const QPointF &point)
{
    const qsizetype caret = positionAt(point);
    for (const qsizetype start : {caret, m_boundaries.previousCharacter(caret)}) {
        const qsizetype end = m_boundaries.nextCharacter(start);
        const QRectF glyphs = end > start ? characterRect(start, end) : QRectF();
        if (point.x() >= glyphs.left() && point.x() < glyphs.right() && point.y() >= glyphs.top() &&
            point.y() < glyphs.bottom())
            return start;
    }
    return caret;
}
