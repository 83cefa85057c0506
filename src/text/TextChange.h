// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <algorithm>

// One change of a text, as a document reports it: at position, removed units went and inserted
// units came in their place. The revision counts the changes of the document, so that whatever
// keeps something computed from the text can tell whether it is still of the same text.
struct TextChange {
    qsizetype position = 0;
    qsizetype removed = 0;
    qsizetype inserted = 0;
    quint64 revision = 0;

    // Where an offset of the text before the change lies after it: offsets before the change
    // stay, those in the removed units go to the end of the inserted ones, later ones shift.
    qsizetype mapped(qsizetype offset) const
    {
        return offset < position ? offset : std::max(offset - removed, position) + inserted;
    }
    // The change that takes the text back.
    TextChange reversed() const { return {position, inserted, removed, revision}; }
};
