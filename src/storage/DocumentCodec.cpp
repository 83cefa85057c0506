// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/DocumentCodec.h"

#include "storage/DistinctCharacters.h"
#include "storage/LineEnds.h"
#include "storage/Utf16.h"
#include "storage/Utf8.h"
#include "storage/Windows1252.h"
#include "text/PieceTree.h"

#include <algorithm>
#include <utility>

namespace {

constexpr QByteArrayView utf8Bom("\xEF\xBB\xBF", 3);
constexpr QByteArrayView utf16LeBom("\xFF\xFE", 2);
constexpr QByteArrayView utf16BeBom("\xFE\xFF", 2);

struct DecodedText {
    QString text;
    TextEncoding encoding;
    bool incompleteLastCharacter = false;
};

// A file cut short, or written by a program that got UTF-16 wrong, may end in half a character.
// The mark and the rest still say UTF-16; only that last byte is lost.
std::optional<DecodedText> decodeUtf16(QByteArrayView bytes, QSysInfo::Endian byteOrder,
                                       TextEncoding encoding)
{
    const bool odd = bytes.size() % 2 != 0;
    if (auto text = utf16::decode(odd ? bytes.chopped(1) : bytes, byteOrder))
        return DecodedText{std::move(*text), encoding, odd};
    return std::nullopt;
}

// A byte-order mark is believed only when what follows it is valid in that encoding; otherwise
// the mark is just the first bytes of some other text.
std::optional<DecodedText> decodeAfterBom(QByteArrayView bytes)
{
    if (bytes.startsWith(utf8Bom)) {
        if (auto text = utf8::decode(bytes.sliced(utf8Bom.size())))
            return DecodedText{std::move(*text), TextEncoding::Utf8WithBom};
    } else if (bytes.startsWith(utf16LeBom)) {
        return decodeUtf16(bytes.sliced(utf16LeBom.size()), QSysInfo::LittleEndian,
                           TextEncoding::Utf16LE);
    } else if (bytes.startsWith(utf16BeBom)) {
        return decodeUtf16(bytes.sliced(utf16BeBom.size()), QSysInfo::BigEndian,
                           TextEncoding::Utf16BE);
    }
    return std::nullopt;
}

DecodedText decodeText(QByteArrayView bytes)
{
    if (auto decoded = decodeAfterBom(bytes))
        return std::move(*decoded);
    if (auto text = utf8::decode(bytes))
        return {std::move(*text), TextEncoding::Utf8};
    return {windows1252::decode(bytes), TextEncoding::Windows1252};
}

bool endsWithLineEnd(const PieceTree &text)
{
    return !text.isEmpty() && isLineEndUnit(text.at(text.length() - 1));
}

// One pass into an allocation big enough for any text of this length, trimmed to what was written
// at the end: only the pages written to are ever touched. A text with a character the encoding
// lacks gives no bytes, only the list of such characters.
// Copies the ASCII units at the start of units, a byte each, and says how many there were; 16 at
// a time where it can, as most text is mostly ASCII and a large save spends its time here.
qsizetype copyAscii(QStringView units, char *out)
{
    const char16_t *const in = units.utf16();
    const qsizetype size = units.size();
    qsizetype i = 0;
    for (; i + 16 <= size; i += 16) {
        char16_t any = 0;
        for (int k = 0; k < 16; ++k)
            any |= in[i + k];
        if (any >= 0x80)
            break;
        for (int k = 0; k < 16; ++k)
            out[i + k] = char(in[i + k]);
    }
    for (; i < size && in[i] < 0x80; ++i)
        out[i] = char(in[i]);
    return i;
}

// The units up to the next ASCII one.
qsizetype nonAsciiRun(QStringView units)
{
    qsizetype i = 1;
    while (i < units.size() && units[i].unicode() >= 0x80)
        ++i;
    return i;
}

template <typename Writer>
EncodedDocument encodeWith(const PieceTree &text, const TextFormat &format, QByteArrayView bom)
{
    const QStringView lineEnd = lineEndCharacters(format.lineEnd);
    const bool appendLineEnd = format.appendFinalLineEnd && !endsWithLineEnd(text);

    QByteArray bytes(bom.size() + (text.length() + lineEnd.size()) * Writer::MostBytesPerUnit,
                     Qt::Uninitialized);
    char *out = std::copy(bom.begin(), bom.end(), bytes.data());
    DistinctCharacters missing;
    EncodedDocument result;
    qsizetype unitsDone = 0; // code points come in the text's order, ASCII ones counted in runs
    utf16::CodePointJoiner codePoints([&](char32_t codePoint) {
        const qsizetype at = unitsDone;
        unitsDone += QChar::requiresSurrogates(codePoint) ? 2 : 1;
        if (codePoint < 0x80) {
            out = Writer::write(out, codePoint); // every encoding here holds ASCII
        } else if (Writer::size(codePoint) == 0) {
            missing.add(codePoint);
            if (result.firstUnrepresentable < 0)
                result.firstUnrepresentable = at;
            result.loneSurrogate = result.loneSurrogate || QChar::isSurrogate(codePoint);
        } else {
            out = Writer::write(out, codePoint);
        }
    });
    text.forEachChunk(0, text.length(), [&codePoints, &out, &unitsDone](QStringView chunk) {
        if constexpr (!Writer::AsciiIsOneByte) {
            codePoints.add(chunk);
            return true;
        }
        while (!chunk.isEmpty()) {
            if (!codePoints.holdsHalfPair()) {
                const qsizetype ascii = copyAscii(chunk, out);
                out += ascii;
                unitsDone += ascii;
                chunk = chunk.sliced(ascii);
                if (chunk.isEmpty())
                    break;
            }
            const qsizetype other = nonAsciiRun(chunk);
            codePoints.add(chunk.first(other));
            chunk = chunk.sliced(other);
        }
        return true;
    });
    if (appendLineEnd)
        codePoints.add(lineEnd);
    codePoints.finish();
    if (!missing.isEmpty()) {
        result.unrepresentable = missing.text();
        return result;
    }
    Q_ASSERT(out <= bytes.data() + bytes.size());
    bytes.truncate(out - bytes.data());
    bytes.squeeze();
    result.bytes = std::move(bytes);
    return result;
}

} // namespace

DecodedDocument decodeDocument(const QByteArray &bytes)
{
    DecodedText decoded = decodeText(bytes);
    DecodedDocument document;
    document.format.encoding = decoded.encoding;
    document.format.lineEnd = firstLineEnd(decoded.text).value_or(LineEnd::CrLf);
    document.format.appendFinalLineEnd =
        !decoded.text.isEmpty() && isLineEndUnit(decoded.text.back());
    document.incompleteLastCharacter = decoded.incompleteLastCharacter;
    document.text = std::move(decoded.text);
    return document;
}

EncodedDocument encodeDocument(const PieceTree &text, const TextFormat &format)
{
    switch (format.encoding) {
    case TextEncoding::Utf8:
        return encodeWith<utf8::Writer>(text, format, {});
    case TextEncoding::Utf8WithBom:
        return encodeWith<utf8::Writer>(text, format, utf8Bom);
    case TextEncoding::Utf16LE:
        return encodeWith<utf16::Writer<QSysInfo::LittleEndian>>(text, format, utf16LeBom);
    case TextEncoding::Utf16BE:
        return encodeWith<utf16::Writer<QSysInfo::BigEndian>>(text, format, utf16BeBom);
    case TextEncoding::Windows1252:
        return encodeWith<windows1252::Writer>(text, format, {});
    }
    return {};
}
