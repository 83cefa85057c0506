// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace utf8 {

// Strict decoding: nothing when the bytes are not well-formed UTF-8 (a cut sequence at the end,
// overlong forms, surrogates, code points past U+10FFFF), so that a text that decodes always
// encodes back to the same bytes.
std::optional<QString> decode(QByteArrayView bytes);

// Per code point output, for the document encoder; surrogates have no UTF-8 form.
struct Writer {
    // A unit of UTF-16 becomes at most three bytes; a surrogate pair, two units, four.
    static constexpr int MostBytesPerUnit = 3;
    static constexpr bool AsciiIsOneByte = true;
    static int size(char32_t codePoint)
    {
        if (codePoint < 0x80)
            return 1;
        if (codePoint < 0x800)
            return 2;
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
            return 0;
        return codePoint < 0x10000 ? 3 : 4;
    }
    static char *write(char *out, char32_t codePoint);
};

inline char *Writer::write(char *out, char32_t codePoint)
{
    const auto byte = [](char32_t value) {
        return static_cast<char>(value);
    };
    switch (size(codePoint)) {
    case 1:
        *out++ = byte(codePoint);
        break;
    case 2:
        *out++ = byte(0xC0 | (codePoint >> 6));
        *out++ = byte(0x80 | (codePoint & 0x3F));
        break;
    case 3:
        *out++ = byte(0xE0 | (codePoint >> 12));
        *out++ = byte(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = byte(0x80 | (codePoint & 0x3F));
        break;
    case 4:
        *out++ = byte(0xF0 | (codePoint >> 18));
        *out++ = byte(0x80 | ((codePoint >> 12) & 0x3F));
        *out++ = byte(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = byte(0x80 | (codePoint & 0x3F));
        break;
    }
    return out;
}

} // namespace utf8
