// SPDX-License-Identifier: GPL-3.0-or-later
// The rows on screen: finding them from the top row, scrolling, and painting them.
#include "textbox/TextView.h"

#include <QPainter>
#include <QTextLine>

TextView::TextView(const PieceTree &text, const TextBoundaries &boundaries)
    : m_text(text)
    , m_boundaries(boundaries)
    , m_rows(text)
{}

void TextView::setViewportSize(const QSize &size)
{
    m_size = size;
    m_rows.setWidth(std::max<qreal>(1, size.width() - 2 * Margin));
    m_top = m_rows.rowStartFor(std::min(m_top, m_text.length()));
}

void TextView::edited(qsizetype position, qsizetype removed, qsizetype inserted)
{
    m_rows.edited(position, removed, inserted);
    if (m_top > position)
        m_top = std::max(position, m_top - removed) + (m_top >= position + removed ? inserted : 0);
    m_top = m_rows.rowStartFor(std::min(m_top, m_text.length()));
}

void TextView::forEachVisibleRow(const std::function<bool(const Row &)> &visit)
{
    for (const Row &row : visibleRows()) {
        if (!visit(row))
            return;
    }
}

const std::vector<TextView::Row> &TextView::visibleRows()
{
    // Laying out the top row may add chunks, which leaves the generation as it is.
    const TextRows::RowRef top = m_rows.rowFor(std::min(m_top, m_text.length()));
    const VisibleRowsKey key{m_rows.generation(), top.chunk, top.index, m_size.height()};
    if (key == m_visibleRowsKey)
        return m_visibleRows;
    m_visibleRows.clear();
    qreal y = Margin;
    const RowChunk *chunk = top.chunk;
    int first = top.index;
    while (y < m_size.height()) {
        for (int index = first; index < chunk->rowCount && y < m_size.height(); ++index) {
            m_visibleRows.push_back(Row{chunk, index, y});
            y += chunk->layout->lineAt(index).height();
        }
        const qsizetype next = m_rows.startAfter(*chunk);
        if (next < 0)
            break;
        // The chunks of a line follow on from each other; a new line starts a chunk of its own.
        chunk = &m_rows.chunkAt(next);
        first = 0;
    }
    m_visibleRowsKey = key;
    return m_visibleRows;
}

int TextView::pageRowCount()
{
    int rows = 0;
    qreal bottom = 0;
    bool textEnds = false;
    forEachVisibleRow([&](const Row &row) {
        bottom = row.y + row.chunk->layout->lineAt(row.index).height();
        if (bottom <= m_size.height() || rows == 0)
            ++rows;
        textEnds = row.index + 1 == row.chunk->rowCount && m_rows.startAfter(*row.chunk) < 0;
        return true;
    });
    if (textEnds) {
        const qreal height = m_rows.rowFor(m_text.length()).line().height();
        for (; height > 0 && bottom + height <= m_size.height(); bottom += height)
            ++rows;
    }
    return std::max(rows, 1);
}

void TextView::paint(QPainter &painter, const QPalette &palette, const QRect &area,
                     const Selection &selection, qsizetype caret, bool caretShown)
{
    painter.fillRect(area, palette.base());
    painter.setPen(palette.text().color());
    forEachVisibleRow([&](const Row &row) {
        const qreal height = row.chunk->layout->lineAt(row.index).height();
        if (row.y + height >= area.top() && row.y <= area.bottom())
            paintRow(painter, palette, row, selection);
        return row.y <= area.bottom();
    });
    if (caretShown) {
        const QRectF rect = caretRect(caret);
        if (!rect.isEmpty())
            painter.fillRect(rect, palette.text());
    }
}

void TextView::paintRow(QPainter &painter, const QPalette &palette, const Row &row,
                        const Selection &selection)
{
    const RowChunk &chunk = *row.chunk;
    const QTextLine line = chunk.layout->lineAt(row.index);
    const QPointF origin(Margin, row.y - line.y());
    QVector<QTextLayout::FormatRange> selections;
    const qsizetype rowStart = chunk.rowStart(row.index);
    const qsizetype rowEnd = chunk.rowEnd(row.index);
    const qsizetype from = std::max(selection.start, rowStart);
    const qsizetype to = std::min(selection.end, rowEnd);
    if (from < to) {
        QTextLayout::FormatRange range;
        range.start = chunk.toLayout(from);
        range.length = chunk.toLayout(to) - range.start;
        range.format.setBackground(palette.highlight());
        range.format.setForeground(palette.highlightedText());
        selections.append(range);
    }
    // The selection goes on past the row's end: show that the line break is selected too.
    if (selection.end > rowEnd && selection.start <= rowEnd && chunk.endsLine &&
        row.index == chunk.rowCount - 1) {
        const QRectF rest(Margin + line.naturalTextWidth(), row.y, m_size.width() / 8.0,
                          line.height());
        painter.fillRect(rest, palette.highlight());
    }
    // Draw only this row: the chunk's layout also holds rows of others. The layout skips the rows
    // outside the rectangle it is given, whose edges are kept off the neighbouring rows; the
    // painter's clip cuts what glyphs reach beyond the row.
    const QRectF rowRect(0, row.y, m_size.width(), line.height());
    painter.save();
    painter.setClipRect(rowRect, Qt::IntersectClip);
    chunk.layout->draw(&painter, origin, selections, rowRect.adjusted(0, 0.25, 0, -0.25));
    painter.restore();
}

bool TextView::ensureVisible(qsizetype position)
{
    const qsizetype row = m_rows.rowStartFor(position);
    if (row < m_top) {
        m_top = row;
        return true;
    }
    bool visible = false;
    forEachVisibleRow([&](const Row &shown) {
        const qreal bottom = shown.y + shown.chunk->layout->lineAt(shown.index).height();
        // A row taller than the whole viewport counts as shown when it is at the top.
        if (shown.chunk->rowStart(shown.index) == row)
            visible = bottom <= m_size.height() || shown.y <= Margin;
        return shown.chunk->rowStart(shown.index) < row;
    });
    if (visible)
        return false;
    // Put the row at the bottom: walk up from it as far as the viewport's height allows.
    qreal height = m_rows.rowFor(row).line().height() + Margin;
    qsizetype top = row;
    for (qsizetype above = m_rows.previousRowStart(top); above >= 0;
         above = m_rows.previousRowStart(top)) {
        height += m_rows.rowFor(above).line().height();
        if (height > m_size.height())
            break;
        top = above;
    }
    m_top = top;
    return true;
}

void TextView::scrollRows(int rows)
{
    for (; rows < 0; ++rows) {
        const qsizetype above = m_rows.previousRowStart(m_top);
        if (above < 0)
            break;
        m_top = above;
    }
    // Down no further than where the text's last row is at the bottom.
    for (; rows > 0 && !showsLastRow(); --rows) {
        const qsizetype below = m_rows.nextRowStart(m_top);
        if (below < 0)
            break;
        m_top = below;
    }
}

bool TextView::showsLastRow()
{
    bool shown = false;
    forEachVisibleRow([&](const Row &row) {
        const bool last = row.index + 1 == row.chunk->rowCount && m_rows.startAfter(*row.chunk) < 0;
        if (last)
            shown = row.y + row.chunk->layout->lineAt(row.index).height() <= m_size.height();
        return true;
    });
    return shown;
}
