// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textbox/TextRows.h"

#include <QPalette>
#include <QRectF>

#include <functional>
#include <vector>

class QPainter;
class TextBoundaries;

// What the box shows: the rows from a top row start down to the viewport's bottom, with the
// caret and the selection. There is no scroll bar, so nothing ever needs the height of the whole
// text; scrolling moves the top row start.
class TextView {
public:
    TextView(const PieceTree &text, const TextBoundaries &boundaries);

    // Space between the viewport's edges and the text, as plain text boxes leave it.
    static constexpr qreal Margin = 4;

    TextRows &rows() { return m_rows; }
    void setViewportSize(const QSize &size);
    QSize viewportSize() const { return m_size; }
    qsizetype top() const { return m_top; }
    void setTop(qsizetype rowStart) { m_top = rowStart; }

    // After an edit: at position, removed units went and inserted units came. The top row stays
    // on the same text.
    void edited(qsizetype position, qsizetype removed, qsizetype inserted);

    struct Selection {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    void paint(QPainter &painter, const QPalette &palette, const QRect &area,
               const Selection &selection, qsizetype caret, bool caretShown);

    // The caret's rectangle at position when its row is on screen; an empty rectangle otherwise.
    QRectF caretRect(qsizetype position);
    // The box of the glyphs that show [start, end), one character, when its row is on screen;
    // an empty rectangle otherwise, and for what shows no glyph (a line break).
    QRectF characterRect(qsizetype start, qsizetype end);
    qsizetype positionAt(const QPointF &point);
    // The start of the character whose glyphs are at point, which in right-to-left text is not
    // always the one after the nearest caret place; the nearest caret place where there is none.
    qsizetype characterAt(const QPointF &point);
    // Scrolls the least that brings position's row on screen; true if the view moved.
    bool ensureVisible(qsizetype position);
    // Scrolls by rows (negative: up), no further than the first row or the last.
    void scrollRows(int rows);
    // The rows that fit wholly on screen from the top row, a page: the text's own, and past its
    // end as many rows of its last row's height as there is room for. So a page is the same
    // whether the view shows the text's end or not (after an undone edit, or in a short text).
    int pageRowCount();
    // True when the text's last row is wholly on screen.
    bool showsLastRow();

    // The position rows rows below (or above) position's row, at the horizontal place x.
    qsizetype positionRowsAway(qsizetype position, int rows, qreal x);
    qreal caretX(qsizetype position);
    // The next caret place to the right or left on screen, which in right-to-left text is the
    // previous one in the text.
    qsizetype visualMove(qsizetype position, bool right);
    qsizetype rowStart(qsizetype position);
    // The end of position's row: before the space a row wraps at, at the line's end otherwise.
    qsizetype rowEnd(qsizetype position);
    std::pair<qsizetype, qsizetype> rowAt(qsizetype position);

private:
    struct Row {
        const RowChunk *chunk;
        int index;
        qreal y; // of the row's top, in viewport coordinates
    };
    // Calls visit for each row on screen, top down, until it returns false.
    void forEachVisibleRow(const std::function<bool(const Row &)> &visit);
    // The rows on screen, found once for as long as the top, the height and the chunks stay: a
    // key asks for them several times (to follow the caret, to paint, for the input method).
    const std::vector<Row> &visibleRows();
    void paintRow(QPainter &painter, const QPalette &palette, const Row &row,
                  const Selection &selection);
    qsizetype rowPosition(const RowChunk &chunk, int row, qreal x) const;

    const PieceTree &m_text;
    const TextBoundaries &m_boundaries;
    TextRows m_rows;
    QSize m_size;
    qsizetype m_top = 0;
    std::vector<Row> m_visibleRows;
    // What the rows on screen were found from: the top row as the layouts hold it (the index of a
    // long line may since have moved it onto an exact chunk) and the height.
    struct VisibleRowsKey {
        quint64 generation = 0;
        const RowChunk *chunk = nullptr;
        int index = -1;
        int height = -1;
        bool operator==(const VisibleRowsKey &other) const
        {
            return generation == other.generation && chunk == other.chunk && index == other.index &&
                   height == other.height;
        }
    } m_visibleRowsKey;
};
