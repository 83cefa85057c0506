// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "storage/TextFormat.h"

#include <QByteArray>
#include <QString>

class PieceTree;

struct DecodedDocument {
    QString text; // as in the file, line ends included
    // Its lineEnd is the file's first line end, or a new note's when it has none.
    TextFormat format;
    // A UTF-16 file of an odd length: its last byte is half a character, which no text can hold,
    // so a save cannot give it back.
    bool incompleteLastCharacter = false;
};

// Never fails: bytes that are no Unicode text are read as Windows-1252, which holds any byte.
DecodedDocument decodeDocument(const QByteArray &bytes);

struct EncodedDocument {
    QByteArray bytes;
    // Distinct characters the encoding cannot hold; when not empty, bytes is empty and nothing
    // must be written.
    QString unrepresentable;
    // The offset in the text of the first of them; -1 when there are none.
    qsizetype firstUnrepresentable = -1;
    // Some of them are half of a surrogate pair without the other half, which only UTF-16 holds.
    bool loneSurrogate = false;
};

// The text's units go out as they are, line ends included; format.lineEnd is added only after a
// last line that lacks one, when format.appendFinalLineEnd says so.
EncodedDocument encodeDocument(const PieceTree &text, const TextFormat &format);
