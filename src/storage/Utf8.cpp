// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/Utf8.h"

namespace utf8 {
namespace {

// What a lead byte promises: how many continuation bytes follow, the bits it carries, and the
// allowed range of the first continuation byte, which rules out overlongs, surrogates and
// values past U+10FFFF.
struct Lead {
    int continuations = -1;
    char32_t bits = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead leadOf(unsigned char byte)
{
    if (byte >= 0xC2 && byte <= 0xDF)
        return {1, char32_t(byte & 0x1F)};
    if (byte >= 0xE0 && byte <= 0xEF) {
        const unsigned char low = byte == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = byte == 0xED ? 0x9F : 0xBF;
        return {2, char32_t(byte & 0x0F), low, high};
    }
    if (byte >= 0xF0 && byte <= 0xF4) {
        const unsigned char low = byte == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = byte == 0xF4 ? 0x8F : 0xBF;
        return {3, char32_t(byte & 0x07), low, high};
    }
    return {};
}

} // namespace

std::optional<QString> decode(QByteArrayView bytes)
{
    // UTF-16 never needs more units than UTF-8 has bytes.
    QString text(bytes.size(), Qt::Uninitialized);
    auto *const begin = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = begin;
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = in + bytes.size();
    while (in < end) {
        if (*in < 0x80) {
            *out++ = *in++;
            continue;
        }
        const Lead lead = leadOf(*in);
        if (lead.continuations < 0 || end - in <= lead.continuations)
            return std::nullopt;
        if (in[1] < lead.low || in[1] > lead.high)
            return std::nullopt;
        char32_t codePoint = lead.bits;
        for (int i = 1; i <= lead.continuations; ++i) {
            if ((in[i] & 0xC0) != 0x80)
                return std::nullopt;
            codePoint = (codePoint << 6) | (in[i] & 0x3F);
        }
        in += lead.continuations + 1;
        if (codePoint < 0x10000) {
            *out++ = char16_t(codePoint);
        } else {
            *out++ = QChar::highSurrogate(codePoint);
            *out++ = QChar::lowSurrogate(codePoint);
        }
    }
    text.truncate(out - begin);
    return text;
}

} // namespace utf8
