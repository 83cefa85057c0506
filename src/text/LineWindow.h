// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <vector>

// A bounded part of one line around an offset, with its grapheme cluster boundaries: the rules
// of caret movement run on it, so that their cost does not grow with the line. Offsets are the
// text's own; the window holds [start(), end()], never a line break.
class LineWindow {
public:
    // How caret movement sees a cluster, by its first character.
    enum class Kind { Word, Space, Separator };

    // Up to reachBack units before offset and reachAhead after it, cut at the line's ends.
    LineWindow(const PieceTree &text, qsizetype offset, qsizetype reachBack, qsizetype reachAhead);

    qsizetype start() const { return m_start; }
    qsizetype end() const { return m_start + m_line.size(); }
    // The next cluster boundary after offset, end() at most; the previous one, start() at least.
    qsizetype nextBoundary(qsizetype offset) const;
    qsizetype previousBoundary(qsizetype offset) const;
    // The kind of the cluster that starts at offset (< end()), or ends there (> start()).
    Kind kindAt(qsizetype offset) const;
    Kind kindBefore(qsizetype offset) const { return kindAt(previousBoundary(offset)); }

private:
    qsizetype m_start = 0;
    QString m_line;
    // One flag a unit and one past the end: whether a cluster starts (or the window ends) there.
    std::vector<bool> m_boundary;
};
