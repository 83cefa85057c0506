#include "storage/DocumentCodec.h"

#include "storage/DistinctCharacters.h"
#include "storage/EditorCharacters.h"
#include "storage/LineEnds.h"
#include "storage/Utf16.h"
#include "storage/Utf8.h"
#include "storage/Windows1252.h"

#include <algorithm>
#include <utility>

namespace {

constexpr QByteArrayView utf8Bom("\xEF\xBB\xBF", 3);
constexpr QByteArrayView utf16LeBom("\xFF\xFE", 2);
constexpr QByteArrayView utf16BeBom("\xFE\xFF", 2);

struct DecodedText {
    QString text;
    TextEncoding encoding;
};

// A byte-order mark is believed only when what follows it is valid in that encoding; otherwise
// the mark is just the first bytes of some other text.
std::optional<DecodedText> decodeAfterBom(QByteArrayView bytes)
{
    if (bytes.startsWith(utf8Bom)) {
        if (auto text = utf8::decode(bytes.sliced(utf8Bom.size())))
            return DecodedText{std::move(*text), TextEncoding::Utf8WithBom};
    } else if (bytes.startsWith(utf16LeBom)) {
        if (auto text = utf16::decode(bytes.sliced(utf16LeBom.size()), QSysInfo::LittleEndian))
            return DecodedText{std::move(*text), TextEncoding::Utf16LE};
    } else if (bytes.startsWith(utf16BeBom)) {
        if (auto text = utf16::decode(bytes.sliced(utf16BeBom.size()), QSysInfo::BigEndian))
            return DecodedText{std::move(*text), TextEncoding::Utf16BE};
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

// Two passes: the first finds the exact size and any character the encoding lacks, so that the
// second writes into one allocation and nothing is produced for a text that cannot be saved.
template <typename Writer>
EncodedDocument encodeWith(QStringView text, const TextFormat &format, QByteArrayView bom)
{
    const QStringView lineEnd = lineEndCharacters(format.lineEnd);
    const qsizetype lineEndSize = lineEnd.size() * Writer::size(u'\r');
    const bool appendLineEnd = format.appendFinalLineEnd && !text.endsWith(u'\n');

    qsizetype size = bom.size() + (appendLineEnd ? lineEndSize : 0);
    DistinctCharacters missing;
    utf16::forEachCodePoint(text, [&](char32_t codePoint, QStringView units) {
        const int characterSize = codePoint == u'\n' ? lineEndSize : Writer::size(codePoint);
        if (characterSize == 0)
            missing.add(codePoint, units);
        size += characterSize;
    });
    if (!missing.isEmpty())
        return {{}, missing.text()};

    QByteArray bytes(size, Qt::Uninitialized);
    char *out = bytes.data();
    out = std::copy(bom.begin(), bom.end(), out);
    const auto writeLineEnd = [&] {
        for (const QChar unit : lineEnd)
            out = Writer::write(out, unit.unicode());
    };
    utf16::forEachCodePoint(text, [&](char32_t codePoint, QStringView) {
        if (codePoint == u'\n')
            writeLineEnd();
        else
            out = Writer::write(out, codePoint);
    });
    if (appendLineEnd)
        writeLineEnd();
    Q_ASSERT(out == bytes.data() + bytes.size());
    return {std::move(bytes), {}};
}

} // namespace

DecodedDocument decodeDocument(const QByteArray &bytes)
{
    DecodedText decoded = decodeText(bytes);
    const LineEndSummary lineEnds = normalizeLineEnds(decoded.text);

    DecodedDocument document;
    document.text = std::move(decoded.text);
    document.format.encoding = decoded.encoding;
    document.format.lineEnd = lineEnds.first.value_or(LineEnd::CrLf);
    document.format.appendFinalLineEnd = lineEnds.endsWithLineEnd;
    document.mixedLineEnds = lineEnds.mixed;
    document.charactersEditorCannotHold = charactersEditorCannotHold(document.text);
    return document;
}

EncodedDocument encodeDocument(const QString &text, const TextFormat &format)
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
