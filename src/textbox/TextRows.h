// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"
#include "textbox/RowChunk.h"
#include "textbox/TextLine.h"

#include <QFont>

#include <array>
#include <memory>
#include <vector>

// Splits the text's lines into rows at a given width, laying out only what it is asked for.
//
// A line is laid out one chunk at a time from a known row start: the line's start, or, in a line
// of more than twice ChunkLength units, a point of the line's index, a list of exact row starts at
// most ChunkLength apart that is built in the background from the line's start.
// A jump deep into a long line whose index is not yet that far starts from an approximate row
// start near the target, and the view settles on the exact rows once the index gets there.
//
// The lines it has looked up are kept, each with its chunks and index counted from its start, so
// that a key press finds the caret's line without searching the text, and an edit moves the
// lines after it by changing their starts alone.
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
    // Forgets every line and layout; the text was replaced.
    void reset();

    // The rows from a row start on; start must be a row start.
    const RowChunk &chunkAt(qsizetype start);
    // A row as the layout of its line shows it: a chunk laid out from a known row start before
    // it, and the row's index there. A row is never laid out from its own start, which would
    // lose what comes before it in its line (the direction of digits after Arabic, a break).
    struct RowRef {
        const RowChunk *chunk = nullptr;
        int index = 0;

        qsizetype start() const { return chunk->rowStart(index); }
        qsizetype end() const { return chunk->rowEnd(index); }
        QTextLine line() const { return chunk->layout->lineAt(index); }
        bool wraps() const { return index + 1 < chunk->rowCount || !chunk->endsLine; }
    };
    // The row holding position; references stay valid until trim(). The last few rows asked for
    // (the caret's, the anchor's, the top's) are kept until the text or the layout changes.
    RowRef rowFor(qsizetype position);
    // The start of the row holding position.
    qsizetype rowStartFor(qsizetype position) { return rowFor(position).start(); }
    // Where the rows after a chunk's last one start, or -1 after the text's last row.
    static qsizetype startAfter(const RowChunk &chunk);
    // Keeps the cache of layouts small; references from chunkAt() are valid until then.
    void trim();
    // Changes whenever a row found before may be found otherwise or its reference went stale (an
    // edit, trim(), a new width, the index of a line grown).
    quint64 generation() const { return m_generation; }
    // The next row's start after a row start, or -1 after the last row.
    qsizetype nextRowStart(qsizetype rowStart);
    // The previous row's start before a row start, or -1 before the first row.
    qsizetype previousRowStart(qsizetype rowStart);
    // The direction of the line holding position, from its first strong character.
    bool isRightToLeftAt(qsizetype position);
    // True when the rows around position are exact, not approximate.
    bool isExactAt(qsizetype position);

    // Extends the index of the line holding position for about budgetMs; true if it is not
    // complete up to position yet.
    bool extendIndexTowards(qsizetype position, int budgetMs);

private:
    TextLine &lineFor(qsizetype position);
    void lookUp(TextLine &line, qsizetype position);
    const RowChunk &chunkIn(TextLine &line, qsizetype offset);
    RowChunk layOut(TextLine &line, qsizetype offset) const;
    bool isRightToLeft(TextLine &line) const;
    void forgetChunks();
    void eraseLine(std::vector<std::unique_ptr<TextLine>>::iterator line);
    static void truncateIndex(TextLine &line, qsizetype position);
    qsizetype knownStartBefore(qsizetype position, const TextLine &line) const;
    qsizetype approximateStart(qsizetype position, const TextLine &line) const;
    void changed();

    const PieceTree &m_text;
    QFont m_font;
    qreal m_width = 100;
    qsizetype m_preeditPosition = -1;
    QString m_preedit;
    // By their starts, which never overlap; the boxes keep each line in place for its chunks.
    std::vector<std::unique_ptr<TextLine>> m_lines;
    size_t m_chunkCount = 0;
    struct RecentRow {
        qsizetype position = -1;
        quint64 generation = 0;
        RowRef row;
    };
    std::array<RecentRow, 4> m_recentRows;
    size_t m_nextRecent = 0;
    quint64 m_generation = 1;
};
