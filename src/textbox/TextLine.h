// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textbox/RowChunk.h"

#include <optional>
#include <unordered_map>
#include <vector>

// What the rows know of one line of the text: where it is, its direction, the chunks laid out
// in it and, for a long line, its index of exact row starts. Everything but the line's own place
// counts from its start, so an edit before the line moves it by changing its three offsets alone.
struct TextLine {
    qsizetype start = 0;
    // Before the line break.
    qsizetype end = 0;
    // Where the next line starts, or -1 for the text's last line.
    qsizetype next = -1;
    // Found again after an edit of the line.
    std::optional<bool> rightToLeft;
    // By their offset from the line's start.
    std::unordered_map<qsizetype, RowChunk> chunks;
    // Exact row starts from the line's start, the first being 0, at most a chunk apart.
    std::vector<qsizetype> rowStarts;
    bool indexComplete = false;

    qsizetype length() const { return end - start; }
    void move(qsizetype shift)
    {
        start += shift;
        end += shift;
        if (next >= 0)
            next += shift;
    }
};

inline qsizetype RowChunk::start() const
{
    return line->start + offset;
}

inline qsizetype RowChunk::end() const
{
    return line->start + endOffset;
}
