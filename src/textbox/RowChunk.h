// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTextLayout>

#include <algorithm>
#include <memory>

struct TextLine;

// The rows a run of a line lays out into: QTextLayout over at most TextRows::ChunkLength units
// starting at a row start. Unless the run reaches the line's end, its last row is left out, as it
// may have been cut short by the run's end; the next run starts where that row starts.
//
// A chunk counts from the start of its line, so that an edit in an earlier line moves it along
// without touching it: only the line's start changes.
struct RowChunk {
    const TextLine *line = nullptr;
    // From the line's start: where the chunk starts, and its end, a row start of the same line
    // or the line's end.
    qsizetype offset = 0;
    qsizetype endOffset = 0;
    bool endsLine = false;
    int rowCount = 0;
    std::shared_ptr<QTextLayout> layout;
    // An input method's uncommitted text shown in the layout, at this offset from the chunk's
    // start, or none (-1). The layout counts its units, the text does not.
    int preeditAt = -1;
    int preeditLength = 0;

    // In offsets of the text.
    qsizetype start() const;
    qsizetype end() const;

    // A position of the layout and an offset of the text, across the preedit: a text offset at
    // the preedit is after it on screen, and a layout position inside it is that offset.
    int toLayout(qsizetype position) const
    {
        const int local = int(position - start());
        return preeditAt >= 0 && local >= preeditAt ? local + preeditLength : local;
    }
    qsizetype fromLayout(int position) const
    {
        if (preeditAt >= 0 && position > preeditAt)
            position = std::max(preeditAt, position - preeditLength);
        return start() + position;
    }
    qsizetype rowStart(int row) const { return fromLayout(layout->lineAt(row).textStart()); }
    qsizetype rowEnd(int row) const { return row + 1 < rowCount ? rowStart(row + 1) : end(); }
    // The row holding position, which lies in [start, end], end counting as the last row.
    int rowOf(qsizetype position) const;
};
