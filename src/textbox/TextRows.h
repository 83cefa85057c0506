// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <QFont>
#include <QTextLayout>

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

// The rows a run of a line lays out into: QTextLayout over at most ChunkLength units starting at
// a row start. Unless the run reaches the line's end, its last row is left out, as it may have
// been cut short by the run's end; the next run starts where that row starts.
struct RowChunk {
    qsizetype start = 0;
    // A row start of the same line, or the line's end.
    qsizetype end = 0;
    bool endsLine = false;
    int rowCount = 0;
    std::shared_ptr<QTextLayout> layout;
    // An input method's uncommitted text shown in the layout, at this offset from start, or
    // none (-1). The layout counts its units, the text does not.
    int preeditAt = -1;
    int preeditLength = 0;

    // A position of the layout and an offset of the text, across the preedit: a text offset at
    // the preedit is after it on screen, and a layout position inside it is that offset.
    int toLayout(qsizetype position) const
    {
        const int local = int(position - start);
        return preeditAt >= 0 && local >= preeditAt ? local + preeditLength : local;
    }
    qsizetype fromLayout(int position) const
    {
        if (preeditAt >= 0 && position > preeditAt)
            position = std::max(preeditAt, position - preeditLength);
        return start + position;
    }
    qsizetype rowStart(int row) const { return fromLayout(layout->lineAt(row).textStart()); }
    qsizetype rowEnd(int row) const { return row + 1 < rowCount ? rowStart(row + 1) : end; }
    // The row holding position, which lies in [start, end], end counting as the last row.
    int rowOf(qsizetype position) const;
};

// Splits the text's lines into rows at a given width, laying out only what it is asked for.
//
// A line is laid out one chunk at a time from a known row start: the line's start, or, in a line
// of more than twice ChunkLength units, a point of the line's index, a list of exact row starts at
// most ChunkLength apart that is built in the background from the line's start.
// A jump deep into a long line whose index is not yet that far starts from an approximate row
// start near the target, and the view settles on the exact rows once the index gets there.
class TextRows {
public:
    // Qt lays out a run without break opportunities in time that grows with its square (each row
    // looks for the end of its word first), so chunks are kept short: a screenful of a line without
    // spaces costs about a millisecond.
    static constexpr qsizetype ChunkLength = 1024;

    explicit TextRows(const PieceTree &text);

    void setFont(const QFont &font);
    void setWidth(qreal width);
    qreal width() const { return m_width; }
    // An input method's uncommitted text shown at position, or none when text is empty.
    void setPreedit(qsizetype position, const QString &text);
    qsizetype preeditPosition() const { return m_preeditPosition; }
    const QString &preedit() const { return m_preedit; }

    // After an edit: at position, removed units went and inserted units came. Only the rows of the
    // lines the edit touched are laid out again; the others move along.
    void edited(qsizetype position, qsizetype removed, qsizetype inserted);
    // Forgets every layout; the text was replaced.
    void reset();

    // The rows from a row start on; start must be a row start.
    const RowChunk &chunkAt(qsizetype start);
    // A row as the layout of its line shows it: a chunk laid out from a known row start before
    // it, and the row's index there. A row is never laid out from its own start, which would
    // lose what comes before it in its line (the direction of digits after Arabic, a break).
    struct RowRef {
        const RowChunk *chunk;
        int index;

        qsizetype start() const { return chunk->rowStart(index); }
        qsizetype end() const { return chunk->rowEnd(index); }
        QTextLine line() const { return chunk->layout->lineAt(index); }
        bool wraps() const { return index + 1 < chunk->rowCount || !chunk->endsLine; }
    };
    // The row holding position; references stay valid until trim().
    RowRef rowFor(qsizetype position);
    // The start of the row holding position.
    qsizetype rowStartFor(qsizetype position) { return rowFor(position).start(); }
    // Where the rows after a chunk's last one start, or -1 after the text's last row.
    qsizetype startAfter(const RowChunk &chunk) const;
    // Keeps the cache of layouts small; references from chunkAt() are valid until then.
    void trim();
    // Changes whenever references to chunks may have gone stale (an edit, trim(), a new width).
    quint64 generation() const { return m_generation; }
    // The next row's start after a row start, or -1 after the last row.
    qsizetype nextRowStart(qsizetype rowStart);
    // The previous row's start before a row start, or -1 before the first row.
    qsizetype previousRowStart(qsizetype rowStart);
    // The direction of the line holding position, from its first strong character.
    bool isRightToLeftAt(qsizetype position) const;
    // True when the rows around position are exact, not approximate.
    bool isExactAt(qsizetype position) const;

    // Extends the index of the line holding position for about budgetMs; true if it is not
    // complete up to position yet.
    bool extendIndexTowards(qsizetype position, int budgetMs);

    struct Line {
        qsizetype start;
        qsizetype end; // before the line break
    };
    Line lineOf(qsizetype position) const;

private:
    struct LineIndex {
        std::vector<qsizetype> rowStarts; // exact, the first being the line's start
        bool complete = false;
    };

    RowChunk layOut(qsizetype start);
    void forgetChunks();
    bool isRightToLeft(const Line &line) const;
    qsizetype knownStartBefore(qsizetype position, const Line &line);
    qsizetype approximateStart(qsizetype position, const Line &line) const;
    const LineIndex *indexOf(qsizetype lineStart) const;
    void moveChunks(qsizetype position, qsizetype removed, qsizetype inserted);
    void moveIndexes(qsizetype position, qsizetype removed, qsizetype inserted);

    const PieceTree &m_text;
    QFont m_font;
    qreal m_width = 100;
    qsizetype m_preeditPosition = -1;
    QString m_preedit;
    std::unordered_map<qsizetype, RowChunk> m_chunks;
    std::map<qsizetype, LineIndex> m_indexes; // by the line's start
    // The line last looked up: a key asks for the caret's line many times over, and the text
    // does not change in between. Forgotten at every edit.
    mutable Line m_lastLine{-1, -1};
    quint64 m_generation = 0;
};
