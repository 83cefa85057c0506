// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

// The Windows-1252 code page, with its five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) taken
// as the C1 controls of the same value, so that every byte string decodes and encodes back.
namespace windows1252 {

char16_t toUnicode(unsigned char byte);

// The byte for a code point, or -1 when the code page has none.
int fromUnicode(char32_t codePoint);

QString decode(QByteArrayView bytes);

// Per code point output, for the document encoder.
struct Writer {
    static constexpr int MostBytesPerUnit = 1;
    static constexpr bool AsciiIsOneByte = true;
    static int size(char32_t codePoint) { return fromUnicode(codePoint) < 0 ? 0 : 1; }
    static char *write(char *out, char32_t codePoint)
    {
        *out = static_cast<char>(fromUnicode(codePoint));
        return out + 1;
    }
};

} // namespace windows1252
