// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QSysInfo>

#include <optional>
#include <utility>

namespace utf16 {

// Nothing when the byte count is odd. A surrogate without its other half is kept as the unit it
// is, as the writer below writes it back: a file whose text has half a character opens as it is
// and saves to the same bytes.
std::optional<QString> decode(QByteArrayView bytes, QSysInfo::Endian byteOrder);

// Turns UTF-16 units, handed over a chunk at a time, into code points: a surrogate pair may be
// split between two chunks. An unpaired surrogate is passed on as itself.
template <typename Visit> class CodePointJoiner {
public:
    explicit CodePointJoiner(Visit visit)
        : m_visit(std::move(visit))
    {}

    void add(QStringView units)
    {
        for (const QChar unit : units) {
            if (m_high == 0 && !unit.isSurrogate())
                m_visit(char32_t(unit.unicode()));
            else
                addUnit(unit.unicode());
        }
    }
    // A high surrogate waits for its partner from the next chunk.
    bool holdsHalfPair() const { return m_high != 0; }
    // After the last chunk: a high surrogate still waiting has no partner.
    void finish()
    {
        if (m_high != 0)
            m_visit(char32_t(m_high));
        m_high = 0;
    }

private:
    void addUnit(char16_t unit)
    {
        if (m_high != 0 && QChar::isLowSurrogate(unit)) {
            m_visit(QChar::surrogateToUcs4(m_high, unit));
            m_high = 0;
            return;
        }
        finish();
        if (QChar::isHighSurrogate(unit))
            m_high = unit;
        else
            m_visit(char32_t(unit));
    }

    Visit m_visit;
    char16_t m_high = 0;
};

// Per code point output, for the document encoder. Only UTF-16 holds every text the box can
// hold: a lone surrogate goes out as its one unit.
template <QSysInfo::Endian byteOrder> struct Writer {
    static constexpr int MostBytesPerUnit = 2;
    static constexpr bool AsciiIsOneByte = false;
    static int size(char32_t codePoint) { return codePoint < 0x10000 ? 2 : 4; }
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
