// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/LineWindow.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

bool isLineBreak(QChar unit)
{
    return unit == u'\r' || unit == u'\n';
}

bool splitsSurrogatePair(const PieceTree &text, qsizetype offset)
{
    return offset > 0 && text.at(offset - 1).isHighSurrogate() && text.at(offset).isLowSurrogate();
}

// The ASCII punctuation and symbols at which a word movement stops, all but '_'.
bool isWordSeparator(char16_t unit)
{
    return unit > 0x20 && unit < 0x7f && !QChar::isLetterOrNumber(unit) && unit != u'_';
}

} // namespace

LineWindow::LineWindow(const PieceTree &text, qsizetype offset, qsizetype reachBack,
                       qsizetype reachAhead)
{
    qsizetype from = std::max<qsizetype>(0, offset - reachBack);
    qsizetype to = std::min(text.length(), offset + reachAhead);
    from -= splitsSurrogatePair(text, from);
    to += splitsSurrogatePair(text, to);
    const QString window = text.text(from, to - from);

    qsizetype lineStart = offset - from;
    while (lineStart > 0 && !isLineBreak(window[lineStart - 1]))
        --lineStart;
    qsizetype lineEnd = offset - from;
    while (lineEnd < window.size() && !isLineBreak(window[lineEnd]))
        ++lineEnd;
    m_start = from + lineStart;
    m_line = window.mid(lineStart, lineEnd - lineStart);

    m_boundary.assign(size_t(m_line.size() + 1), false);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_line);
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary())
        m_boundary[size_t(at)] = true;
    m_boundary.back() = true;
    // Qt 6.4's finder puts a boundary inside a surrogate pair that follows a letter of some
    // scripts (Devanagari, Thai, Khmer) in the same run; a step there would split the character.
    for (qsizetype at = 1; at < m_line.size(); ++at) {
        if (m_line[at - 1].isHighSurrogate() && m_line[at].isLowSurrogate())
            m_boundary[size_t(at)] = false;
    }
}

qsizetype LineWindow::nextBoundary(qsizetype offset) const
{
    qsizetype at = std::max(offset - m_start, qsizetype(-1)) + 1;
    while (at < m_line.size() && !m_boundary[size_t(at)])
        ++at;
    return m_start + std::min(at, m_line.size());
}

qsizetype LineWindow::previousBoundary(qsizetype offset) const
{
    qsizetype at = std::min(offset - m_start, m_line.size() + 1) - 1;
    while (at > 0 && !m_boundary[size_t(at)])
        --at;
    return m_start + std::max<qsizetype>(at, 0);
}

LineWindow::Kind LineWindow::kindAt(qsizetype offset) const
{
    // No white space or separator lies outside the first plane: a surrogate is a word's.
    const QChar first = m_line[offset - m_start];
    if (first.isSpace())
        return Kind::Space;
    return isWordSeparator(first.unicode()) ? Kind::Separator : Kind::Word;
}
