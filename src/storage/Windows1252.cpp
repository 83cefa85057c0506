// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/Windows1252.h"

#include <array>

namespace windows1252 {
namespace {

// 0x80 to 0x9F; every other byte has the code point of its own value.
constexpr std::array<char16_t, 32> highControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

constexpr bool inHighRange(unsigned value)
{
    return value >= 0x80 && value <= 0x9F;
}

} // namespace

char16_t toUnicode(unsigned char byte)
{
    return inHighRange(byte) ? highControls[byte - 0x80] : char16_t(byte);
}

int fromUnicode(char32_t codePoint)
{
    if (codePoint <= 0xFF && !inHighRange(codePoint))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < highControls.size(); ++i) {
        if (highControls[i] == codePoint)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(text.data());
    for (const char byte : bytes)
        *out++ = toUnicode(static_cast<unsigned char>(byte));
    return text;
}

} // namespace windows1252
