// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QSysInfo>

#include <optional>

namespace utf16 {

// Nothing when the byte count is odd or a surrogate is unpaired: such bytes are no UTF-16 text.
std::optional<QString> decode(QByteArrayView bytes, QSysInfo::Endian byteOrder);

bool hasUnpairedSurrogate(QStringView text);

// Calls visit(codePoint, units) for each code point; an unpaired surrogate is passed as itself.
template <typename Visit> void forEachCodePoint(QStringView text, Visit visit)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(unit, text[i + 1].unicode()), text.sliced(i, 2));
            i += 2;
        } else {
            visit(char32_t(unit), text.sliced(i, 1));
            ++i;
        }
    }
}

// Per code point output, for the document encoder; a lone surrogate is no UTF-16 text either.
template <QSysInfo::Endian byteOrder> struct Writer {
    static constexpr int MostBytesPerUnit = 2;
    static int size(char32_t codePoint)
    {
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
            return 0;
        return codePoint < 0x10000 ? 2 : 4;
    }
    static char *write(char *out, char32_t codePoint)
    {
        if (codePoint < 0x10000)
            return writeUnit(out, char16_t(codePoint));
        out = writeUnit(out, QChar::highSurrogate(codePoint));
        return writeUnit(out, QChar::lowSurrogate(codePoint));
    }

private:
    static char *writeUnit(char *out, char16_t unit)
    {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        *out++ = byteOrder == QSysInfo::BigEndian ? high : low;
        *out++ = byteOrder == QSysInfo::BigEndian ? low : high;
        return out;
    }
};

} // namespace utf16
