// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <unicode/utext.h>

// A piece tree as ICU reads text in chunks (a UText): each chunk is a piece of the tree, read in
// place, so that ICU looks only at the pieces around where it works and nothing is copied. A
// surrogate pair cut by two pieces is the one exception: ICU wants whole code points in a chunk,
// so those two units are served from a copy of their own.
//
// The tree must outlive the UText and not change while ICU may read it: point it at the text
// again before each use. Native indexes are the tree's UTF-16 offsets.
class PieceTreeText {
public:
    PieceTreeText() = default;
    ~PieceTreeText();
    PieceTreeText(const PieceTreeText &) = delete;
    PieceTreeText &operator=(const PieceTreeText &) = delete;

    UText *over(const PieceTree &text);

private:
    UText m_text = UTEXT_INITIALIZER;
};
