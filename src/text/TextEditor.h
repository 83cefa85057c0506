// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"

#include <QString>

// What the note's file handling needs of whatever edits the text: the text to save, a new text
// after an Open or a Clear, the line end that Enter types, and no typing while a file loads.
// The file handling sits beside the text box, not above it, so it knows the box only as this.
class TextEditor {
public:
    virtual ~TextEditor() = default;

    // The text as it is now; a snapshot that another thread may read while editing goes on.
    virtual const PieceTree &text() const = 0;
    // Replaces the text; the caret goes to the start and the undo history is forgotten.
    virtual void setText(PieceTree text) = 0;
    // "\n", "\r\n" or "\r".
    virtual void setLineEnd(const QString &lineEnd) = 0;
    virtual void setReadOnly(bool readOnly) = 0;

protected:
    TextEditor() = default;
    TextEditor(const TextEditor &) = default;
    TextEditor &operator=(const TextEditor &) = default;
};
