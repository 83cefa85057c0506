// SPDX-License-Identifier: GPL-3.0-or-later
// Laying out a line's chunks, and the index of exact row starts that long lines are given.
#include "textbox/TextRows.h"

#include <QElapsedTimer>
#include <QTextOption>

#include <algorithm>

namespace {

// How far back from a target the nearest space is looked for, when a jump into a long line has
// to guess where a row starts.
constexpr qsizetype SpaceSearch = 256;

} // namespace

// Compared on the layout's positions, so that an offset at a preedit that wraps belongs to the
// row where the preedit ends, as the caret is drawn after it.
int RowChunk::rowOf(qsizetype position) const
{
    const int local = toLayout(position);
    int row = 0;
    while (row + 1 < rowCount && layout->lineAt(row + 1).textStart() <= local)
        ++row;
    return row;
}

const RowChunk &TextRows::chunkAt(qsizetype start)
{
    TextLine &line = lineFor(start);
    return chunkIn(line, start - line.start);
}

const RowChunk &TextRows::chunkIn(TextLine &line, qsizetype offset)
{
    if (const auto found = line.chunks.find(offset); found != line.chunks.end())
        return found->second;
    ++m_chunkCount;
    return line.chunks.emplace(offset, layOut(line, offset)).first->second;
}

RowChunk TextRows::layOut(TextLine &line, qsizetype offset) const
{
    const qsizetype start = line.start + offset;
    qsizetype length = std::min(line.end - start, ChunkLength);
    const bool endsLine = start + length == line.end;
    if (!endsLine && m_text.at(start + length).isLowSurrogate())
        --length;

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(80);
    option.setTextDirection(isRightToLeft(line) ? Qt::RightToLeft : Qt::LeftToRight);

    auto layout = std::make_shared<QTextLayout>(m_text.text(start, length), m_font);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->setCursorMoveStyle(Qt::VisualMoveStyle);
    const bool showsPreedit = m_preeditPosition >= start && m_preeditPosition <= start + length &&
                              (m_preeditPosition < start + length || endsLine);
    if (showsPreedit)
        layout->setPreeditArea(int(m_preeditPosition - start), m_preedit);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(m_width);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout->endLayout();

    RowChunk chunk;
    chunk.line = &line;
    chunk.offset = offset;
    chunk.layout = layout;
    if (showsPreedit) {
        chunk.preeditAt = int(m_preeditPosition - start);
        chunk.preeditLength = int(m_preedit.size());
    }
    chunk.endsLine = endsLine || layout->lineCount() <= 1;
    chunk.rowCount = chunk.endsLine ? layout->lineCount() : layout->lineCount() - 1;
    chunk.rowCount = std::max(chunk.rowCount, 1);
    if (endsLine) {
        chunk.endOffset = line.end - line.start;
    } else if (layout->lineCount() <= 1) {
        // One row filled the whole chunk (a very narrow box): cut the row there.
        chunk.endOffset = offset + length;
        chunk.endsLine = false;
    } else {
        chunk.endOffset = chunk.rowStart(chunk.rowCount) - line.start;
    }
    return chunk;
}

bool TextRows::isExactAt(qsizetype position)
{
    const TextLine &line = lineFor(position);
    if (position - line.start < 2 * ChunkLength)
        return true;
    return line.indexComplete ||
           (!line.rowStarts.empty() &&
            position - (line.start + line.rowStarts.back()) < 2 * ChunkLength);
}

// A guess at a row start near position in a long line, the same for every position of one
// stretch of ChunkLength units, so that the rows shown stay put while the caret moves: just after
// the last space before the stretch's start, or the stretch's start itself.
qsizetype TextRows::approximateStart(qsizetype position, const TextLine &line) const
{
    const qsizetype stretch = line.start + (position - line.start) / ChunkLength * ChunkLength;
    const qsizetype from = std::max(line.start, stretch - SpaceSearch);
    const QString before = m_text.text(from, stretch - from);
    const qsizetype space = before.lastIndexOf(u' ');
    if (space >= 0)
        return from + space + 1;
    qsizetype start = stretch;
    if (start > line.start && m_text.at(start).isLowSurrogate())
        --start;
    return start;
}

qsizetype TextRows::knownStartBefore(qsizetype position, const TextLine &line) const
{
    if (position - line.start < 2 * ChunkLength)
        return line.start;
    const auto &starts = line.rowStarts;
    if (!starts.empty()) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), position - line.start);
        const qsizetype known = line.start + *(after - 1);
        if (position - known < 2 * ChunkLength)
            return known;
    }
    return approximateStart(position, line);
}

bool TextRows::extendIndexTowards(qsizetype position, int budgetMs)
{
    TextLine &line = lineFor(position);
    if (line.length() <= 2 * ChunkLength)
        return false;
    auto &starts = line.rowStarts;
    if (starts.empty())
        starts.push_back(0);
    const qsizetype target = position - line.start;
    QElapsedTimer clock;
    clock.start();
    bool grown = false;
    while (!line.indexComplete && starts.back() <= target) {
        // Not kept in the cache: a long line has hundreds of chunks, and few are ever shown.
        const RowChunk chunk = layOut(line, starts.back());
        if (chunk.endsLine)
            line.indexComplete = true;
        else
            starts.push_back(chunk.endOffset);
        grown = true;
        if (clock.elapsed() >= budgetMs)
            break;
    }
    // Rows found before may now be found from an exact start.
    if (grown)
        changed();
    return !line.indexComplete && starts.back() <= target;
}
