// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/TextFormat.h"

#include <QByteArray>
#include <QString>

struct DecodedDocument {
    QString text; // every line end (CR LF, LF, CR) turned into '\n'
    TextFormat format;
    bool mixedLineEnds = false; // the file used more than one line-end style
    // Distinct characters that would not come back unchanged from the editor; empty if none.
    QString charactersEditorCannotHold;
    // A UTF-16 file of an odd length: its last byte is half a character, which no text can hold.
    bool incompleteLastCharacter = false;

    // True when saving the text unedited gives back the very bytes it was decoded from.
    bool savesBackUnchanged() const
    {
        return !mixedLineEnds && charactersEditorCannotHold.isEmpty() && !incompleteLastCharacter;
    }
};

// Never fails: bytes that are no Unicode text are read as Windows-1252, which holds any byte.
DecodedDocument decodeDocument(const QByteArray &bytes);

struct EncodedDocument {
    QByteArray bytes;
    // Distinct characters the encoding cannot hold; when not empty, bytes is empty and nothing
    // must be written.
    QString unrepresentable;
};

// text uses '\n' line ends, or the paragraph separators of the editor's raw text.
EncodedDocument encodeDocument(const QString &text, const TextFormat &format);
