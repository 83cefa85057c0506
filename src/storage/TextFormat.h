// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

enum class TextEncoding { Utf8, Utf8WithBom, Utf16LE, Utf16BE, Windows1252 };

enum class LineEnd { CrLf, Lf, Cr };

// How a document's text becomes bytes. The defaults describe a new document.
struct TextFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnd lineEnd = LineEnd::CrLf;
    // True when saving adds one line end after a last line that lacks it.
    bool appendFinalLineEnd = true;
};

bool operator==(const TextFormat &a, const TextFormat &b);
inline bool operator!=(const TextFormat &a, const TextFormat &b)
{
    return !(a == b);
}

// Name shown to the user, e.g. "UTF-16 LE".
QString encodingName(TextEncoding encoding);

// The characters that stand for a line end in a file, e.g. "\r\n".
QStringView lineEndCharacters(LineEnd lineEnd);
