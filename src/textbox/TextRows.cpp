// SPDX-License-Identifier: GPL-3.0-or-later
// The lines the rows know of, how edits move them, and finding rows among them.
#include "textbox/TextRows.h"

#include <algorithm>

namespace {

// Units of a line read to find its direction from its first strong character.
constexpr qsizetype DirectionSample = 1024;

// The caches are small; a text of many lines on screen needs a few dozen chunks.
constexpr size_t MostCachedChunks = 512;
constexpr size_t MostCachedLines = 4096;

} // namespace

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
        if (at >= 0 && at <= m_text.length())
            truncateIndex(lineFor(at), at);
    }
    m_preeditPosition = text.isEmpty() ? -1 : position;
    m_preedit = text;
    forgetChunks();
}

void TextRows::changed()
{
    ++m_generation;
}

void TextRows::forgetChunks()
{
    for (const auto &line : m_lines)
        line->chunks.clear();
    m_chunkCount = 0;
    changed();
}

void TextRows::reset()
{
    m_lines.clear();
    m_chunkCount = 0;
    changed();
}

void TextRows::trim()
{
    if (m_chunkCount > MostCachedChunks)
        forgetChunks();
    if (m_lines.size() > MostCachedLines) {
        // The lines with an index are worth keeping; the others are found again in one search.
        m_lines.erase(std::remove_if(m_lines.begin(), m_lines.end(),
                                     [](const auto &line) { return line->rowStarts.empty(); }),
                      m_lines.end());
        forgetChunks();
    }
}

// The line holding position, found among the known lines or else in the text, and kept.
TextLine &TextRows::lineFor(qsizetype position)
{
    auto after = std::upper_bound(m_lines.begin(), m_lines.end(), position,
                                  [](qsizetype at, const auto &line) { return at < line->start; });
    if (after != m_lines.begin()) {
        // Its line break too, which a CR LF makes two units long.
        TextLine &line = **(after - 1);
        if (position <= line.end || position < line.next)
            return line;
    }
    auto line = std::make_unique<TextLine>();
    lookUp(*line, position);
    return **m_lines.insert(after, std::move(line));
}

void TextRows::lookUp(TextLine &line, qsizetype position)
{
    const qsizetype index = m_text.lineAt(position);
    line.start = m_text.lineStart(index);
    line.end = m_text.lineEnd(index);
    line.next = index + 1 < m_text.lineCount() ? m_text.lineStart(index + 1) : -1;
}

void TextRows::eraseLine(std::vector<std::unique_ptr<TextLine>>::iterator line)
{
    m_chunkCount -= (*line)->chunks.size();
    m_lines.erase(line);
}

// The lines before the edit stay as they are, those after it move along; the lines it touched,
// from the start of the line at position to the end of the line at the end of the inserted text
// (both in the text after the edit), are laid out again when asked for.
void TextRows::edited(qsizetype position, qsizetype removed, qsizetype inserted)
{
    changed();
    // The line at position as it is now; typing stays within it, so one search of the text is
    // all an edit costs.
    TextLine touched;
    lookUp(touched, position);
    const qsizetype touchedStart = touched.start;
    const qsizetype touchedEnd = position + inserted <= touched.end
                                     ? touched.end
                                     : m_text.lineEnd(m_text.lineAt(position + inserted));
    const qsizetype shift = inserted - removed;
    for (auto line = m_lines.begin(); line != m_lines.end();) {
        TextLine &known = **line;
        if (known.start < touchedStart) {
            ++line;
        } else if (known.start == touchedStart) {
            m_chunkCount -= known.chunks.size();
            known.chunks.clear();
            known.end = touched.end;
            known.next = touched.next;
            known.rightToLeft.reset();
            truncateIndex(known, position);
            ++line;
        } else if (known.start > position + removed && known.start + shift > touchedEnd) {
            known.move(shift);
            ++line;
        } else {
            // A line that began inside what was removed, or that the edit joined to another.
            eraseLine(line);
        }
    }
}

// An edit can pull the first word of its row up into the row before, so only a row start
// followed by another one before the edit is sure to stay a row start.
void TextRows::truncateIndex(TextLine &line, qsizetype position)
{
    line.indexComplete = false;
    auto &starts = line.rowStarts;
    if (starts.empty())
        return;
    const auto firstAfter = std::upper_bound(starts.begin(), starts.end(), position - line.start);
    const auto keepEnd = std::max(firstAfter - 1, starts.begin() + 1);
    starts.erase(std::min(keepEnd, starts.end()), starts.end());
}

bool TextRows::isRightToLeft(TextLine &line) const
{
    if (!line.rightToLeft) {
        const qsizetype sample = std::min(line.length(), DirectionSample);
        line.rightToLeft = m_text.text(line.start, sample).isRightToLeft();
    }
    return *line.rightToLeft;
}

bool TextRows::isRightToLeftAt(qsizetype position)
{
    return isRightToLeft(lineFor(position));
}

TextRows::RowRef TextRows::rowFor(qsizetype position)
{
    for (const RecentRow &recent : m_recentRows) {
        if (recent.position == position && recent.generation == m_generation)
            return recent.row;
    }
    TextLine &line = lineFor(position);
    qsizetype start = knownStartBefore(position, line);
    RowRef found;
    for (;;) {
        const RowChunk &chunk = chunkIn(line, start - line.start);
        if (chunk.endsLine || position < chunk.end()) {
            found = {&chunk, chunk.rowOf(position)};
            break;
        }
        start = chunk.end();
    }
    m_recentRows[m_nextRecent] = {position, m_generation, found};
    m_nextRecent = (m_nextRecent + 1) % m_recentRows.size();
    return found;
}

qsizetype TextRows::startAfter(const RowChunk &chunk)
{
    return chunk.endsLine ? chunk.line->next : chunk.end();
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
    const qsizetype lineStart = row.chunk->line->start;
    return rowStartFor(rowStart == lineStart ? lineFor(rowStart - 1).end : rowStart - 1);
}
