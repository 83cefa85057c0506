// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextRows.h"

#include <QElapsedTimer>
#include <QTextOption>

#include <algorithm>

namespace {

// How far back from a target the nearest space is looked for, when a jump into a long line has
// to guess where a row starts.
constexpr qsizetype SpaceSearch = 256;

// Units of a line read to find its direction from its first strong character.
constexpr qsizetype DirectionSample = 1024;

// The chunk caches are small; a text of many lines on screen needs a few dozen.
constexpr size_t MostCachedChunks = 512;

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

TextRows::TextRows(const PieceTree &text)
    : m_text(text)
{}

void TextRows::setFont(const QFont &font)
{
    m_font = font;
    reset();
}

void TextRows::setWidth(qreal width)
{
    if (qFuzzyCompare(width, m_width))
        return;
    m_width = width;
    reset();
}

void TextRows::setPreedit(qsizetype position, const QString &text)
{
    // The rows after a preedit move with it: the index of its line, where it was and where it
    // goes, keeps only the row starts that come before it.
    for (const qsizetype at : {m_preeditPosition, text.isEmpty() ? -1 : position}) {
        if (at >= 0)
            moveIndexes(at, 0, 0);
    }
    m_preeditPosition = text.isEmpty() ? -1 : position;
    m_preedit = text;
    forgetChunks();
}

void TextRows::forgetChunks()
{
    m_chunks.clear();
    ++m_generation;
}

void TextRows::reset()
{
    forgetChunks();
    m_indexes.clear();
    m_lastLine = {-1, -1};
}

TextRows::Line TextRows::lineOf(qsizetype position) const
{
    if (position >= m_lastLine.start && position <= m_lastLine.end)
        return m_lastLine;
    const qsizetype line = m_text.lineAt(position);
    m_lastLine = {m_text.lineStart(line), m_text.lineEnd(line)};
    return m_lastLine;
}

void TextRows::edited(qsizetype position, qsizetype removed, qsizetype inserted)
{
    m_lastLine = {-1, -1};
    moveChunks(position, removed, inserted);
    moveIndexes(position, removed, inserted);
}

// The chunks of the lines before the edit stay, those after it move along; the lines it touched,
// from the start of the line at position to the end of the line at the end of the inserted text
// (both in the text after the edit), are laid out again when asked for.
void TextRows::moveChunks(qsizetype position, qsizetype removed, qsizetype inserted)
{
    const qsizetype touchedStart = lineOf(position).start;
    const qsizetype touchedEnd = lineOf(position + inserted).end;
    const qsizetype shift = inserted - removed;
    std::unordered_map<qsizetype, RowChunk> kept;
    kept.reserve(m_chunks.size());
    for (auto &[start, chunk] : m_chunks) {
        if (start < touchedStart) {
            kept.emplace(start, std::move(chunk));
        } else if (start >= position + removed && start + shift > touchedEnd) {
            chunk.start += shift;
            chunk.end += shift;
            kept.emplace(chunk.start, std::move(chunk));
        }
    }
    m_chunks = std::move(kept);
    ++m_generation;
}

void TextRows::moveIndexes(qsizetype position, qsizetype removed, qsizetype inserted)
{
    const qsizetype shift = inserted - removed;
    std::map<qsizetype, LineIndex> kept;
    for (auto &[lineStart, index] : m_indexes) {
        if (lineStart > position + removed) {
            // A later line: its rows moved along with it.
            for (qsizetype &start : index.rowStarts)
                start += shift;
            kept.emplace(lineStart + shift, std::move(index));
        } else if (lineStart < position) {
            // An edit can pull the first word of its row up into the row before, so only a row
            // start followed by another one before the edit is sure to stay a row start.
            auto &starts = index.rowStarts;
            const auto firstAfter = std::upper_bound(starts.begin(), starts.end(), position);
            const auto keepEnd = std::max(firstAfter - 1, starts.begin() + 1);
            starts.erase(std::min(keepEnd, starts.end()), starts.end());
            index.complete = false;
            kept.emplace(lineStart, std::move(index));
        }
        // A line that began where the edit is, or inside the removed text, is gone or changed
        // its start (a CR that an inserted LF joins).
    }
    m_indexes = std::move(kept);
}

bool TextRows::isRightToLeft(const Line &line) const
{
    const qsizetype sample = std::min(line.end - line.start, DirectionSample);
    return m_text.text(line.start, sample).isRightToLeft();
}

bool TextRows::isRightToLeftAt(qsizetype position) const
{
    return isRightToLeft(lineOf(position));
}

RowChunk TextRows::layOut(qsizetype start)
{
    const Line line = lineOf(start);
    qsizetype length = std::min(line.end - start, ChunkLength);
    const bool endsLine = start + length == line.end;
    if (!endsLine && m_text.at(start + length).isLowSurrogate())
        --length;
    QString text = m_text.text(start, length);

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(80);
    option.setTextDirection(isRightToLeft(line) ? Qt::RightToLeft : Qt::LeftToRight);

    auto layout = std::make_shared<QTextLayout>(text, m_font);
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
    chunk.start = start;
    chunk.layout = layout;
    if (showsPreedit) {
        chunk.preeditAt = int(m_preeditPosition - start);
        chunk.preeditLength = int(m_preedit.size());
    }
    chunk.endsLine = endsLine || layout->lineCount() <= 1;
    chunk.rowCount = chunk.endsLine ? layout->lineCount() : layout->lineCount() - 1;
    chunk.rowCount = std::max(chunk.rowCount, 1);
    if (endsLine) {
        chunk.end = line.end;
    } else if (layout->lineCount() <= 1) {
        // One row filled the whole chunk (a very narrow box): cut the row there.
        chunk.end = start + length;
        chunk.endsLine = false;
    } else {
        chunk.end = chunk.rowStart(chunk.rowCount);
    }
    return chunk;
}

const RowChunk &TextRows::chunkAt(qsizetype start)
{
    if (const auto found = m_chunks.find(start); found != m_chunks.end())
        return found->second;
    return m_chunks.emplace(start, layOut(start)).first->second;
}

const TextRows::LineIndex *TextRows::indexOf(qsizetype lineStart) const
{
    const auto found = m_indexes.find(lineStart);
    return found == m_indexes.end() ? nullptr : &found->second;
}

bool TextRows::isExactAt(qsizetype position) const
{
    const Line line = lineOf(position);
    if (position - line.start < 2 * ChunkLength)
        return true;
    const LineIndex *index = indexOf(line.start);
    return index && (index->complete || position - index->rowStarts.back() < 2 * ChunkLength);
}

// A guess at a row start near position in a long line, the same for every position of one
// stretch of ChunkLength units, so that the rows shown stay put while the caret moves: just after
// the last space before the stretch's start, or the stretch's start itself.
qsizetype TextRows::approximateStart(qsizetype position, const Line &line) const
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

qsizetype TextRows::knownStartBefore(qsizetype position, const Line &line)
{
    if (position - line.start < 2 * ChunkLength)
        return line.start;
    if (const LineIndex *index = indexOf(line.start)) {
        const auto &starts = index->rowStarts;
        const auto after = std::upper_bound(starts.begin(), starts.end(), position);
        const qsizetype known = *(after - 1);
        if (position - known < 2 * ChunkLength)
            return known;
    }
    return approximateStart(position, line);
}

TextRows::RowRef TextRows::rowFor(qsizetype position)
{
    const Line line = lineOf(position);
    qsizetype start = knownStartBefore(position, line);
    for (;;) {
        const RowChunk &chunk = chunkAt(start);
        if (chunk.endsLine || position < chunk.end)
            return {&chunk, chunk.rowOf(position)};
        start = chunk.end;
    }
}

void TextRows::trim()
{
    if (m_chunks.size() > MostCachedChunks)
        forgetChunks();
}

qsizetype TextRows::startAfter(const RowChunk &chunk) const
{
    if (!chunk.endsLine)
        return chunk.end;
    const qsizetype nextLine = m_text.lineAt(chunk.end) + 1;
    return nextLine < m_text.lineCount() ? m_text.lineStart(nextLine) : -1;
}

qsizetype TextRows::nextRowStart(qsizetype rowStart)
{
    const RowRef row = rowFor(rowStart);
    return row.index + 1 < row.chunk->rowCount ? row.chunk->rowStart(row.index + 1)
                                               : startAfter(*row.chunk);
}

qsizetype TextRows::previousRowStart(qsizetype rowStart)
{
    if (rowStart == 0)
        return -1;
    const RowRef row = rowFor(rowStart);
    if (row.index > 0)
        return row.chunk->rowStart(row.index - 1);
    const Line line = lineOf(rowStart);
    return rowStartFor(rowStart == line.start ? lineOf(rowStart - 1).end : rowStart - 1);
}

bool TextRows::extendIndexTowards(qsizetype position, int budgetMs)
{
    const Line line = lineOf(position);
    if (line.end - line.start <= 2 * ChunkLength)
        return false;
    LineIndex &index = m_indexes[line.start];
    if (index.rowStarts.empty())
        index.rowStarts.push_back(line.start);
    QElapsedTimer clock;
    clock.start();
    while (!index.complete && index.rowStarts.back() <= position) {
        // Not kept in the cache: a long line has hundreds of chunks, and few are ever shown.
        const RowChunk chunk = layOut(index.rowStarts.back());
        if (chunk.endsLine)
            index.complete = true;
        else
            index.rowStarts.push_back(chunk.end);
        if (clock.elapsed() >= budgetMs)
            break;
    }
    return !index.complete && index.rowStarts.back() <= position;
}
