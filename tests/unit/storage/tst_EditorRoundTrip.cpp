// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLoggingCategory>
#include <QMap>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>

#include "storage/DocumentCodec.h"
#include "storage/EditorCharacters.h"
#include "storage/EditorText.h"

using namespace Qt::StringLiterals;

namespace {

// Contexts a character can stand in: alone, between letters, at a line start, before a line end.
QString inContexts(const QString &character)
{
    return character + u"a"_s + character + u"b\n"_s + character + u"\nc"_s + character;
}

QString characterOf(char32_t codePoint)
{
    return QString::fromUcs4(&codePoint, 1);
}

QByteArray lineEndBytes(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::CrLf:
        return "\r\n";
    case LineEnd::Lf:
        return "\n";
    case LineEnd::Cr:
        return "\r";
    }
    return {};
}

LineEnd randomLineEnd(QRandomGenerator &random)
{
    return static_cast<LineEnd>(random.bounded(3));
}

// Bytes with at most one line-end style: random bytes, pieces of UTF-8 (whole, cut or malformed)
// and now and then a byte-order mark, so that every decoding path is taken.
QByteArray randomBytes(QRandomGenerator &random)
{
    static const QByteArray pieces[] = {
        "a",
        " ",
        "\t",
        QByteArray(1, '\0'),
        "\xC3\xA9",
        "\xE2\x82\xAC",
        "\xF0\x9F\x98\x80",
        "\xC2\xA0",
        "\xE2\x80\xA8",
        "\xC3",
        "\x80",
        "\xED\xA0\x80",
        "\xEF\xBF\xBE",
        "\xFF\xFE",
        "\xFE\xFF",
        "\xEF\xBB\xBF",
        "\xC0\xAF",
        "\xF4\x90\x80\x80",
    };
    static const QByteArray marks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    const QByteArray lineEnd = lineEndBytes(randomLineEnd(random));
    QByteArray bytes;
    if (random.bounded(3) == 0)
        bytes = marks[random.bounded(int(std::size(marks)))];
    const int length = random.bounded(48);
    for (int i = 0; i < length; ++i) {
        const int choice = random.bounded(10);
        if (choice == 0) {
            bytes += lineEnd;
        } else if (choice < 4) {
            bytes += pieces[random.bounded(int(std::size(pieces)))];
        } else {
            char byte;
            do {
                byte = char(random.bounded(256));
            } while (byte == '\r' || byte == '\n');
            bytes += byte;
        }
    }
    return bytes;
}

char32_t randomCodePoint(QRandomGenerator &random)
{
    static const char32_t interesting[] = {
        U'\t',   U'\0',    0x00A0, 0x2028, 0xFEFF, 0xFFFC, 0xFFFD,
        0x1F600, 0x10FFFF, 0x00E9, 0x20AC, 0x0081, 0xFFFE, 0xFDEF,
    };
    static const char32_t changedByEditor[] = {0x2029, 0xFDD0, 0xFDD1};
    if (random.bounded(200) == 0)
        return changedByEditor[random.bounded(int(std::size(changedByEditor)))];
    if (random.bounded(3) == 0)
        return interesting[random.bounded(int(std::size(interesting)))];
    if (random.bounded(2) == 0)
        return char32_t(random.bounded(0x20, 0x7F));
    char32_t codePoint;
    do {
        codePoint = char32_t(random.bounded(0x110000));
    } while ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint == U'\r' ||
             codePoint == U'\n');
    return codePoint;
}

QString randomText(QRandomGenerator &random, LineEnd lineEnd)
{
    QString text;
    const int length = random.bounded(40);
    for (int i = 0; i < length; ++i) {
        if (random.bounded(8) == 0)
            text += QString::fromLatin1(lineEndBytes(lineEnd));
        else
            text += characterOf(randomCodePoint(random));
    }
    return text;
}

// Written here by hand rather than with the codec under test.
QByteArray utf16Bytes(const QString &text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar unit : text) {
        const char high = char(unit.unicode() >> 8);
        const char low = char(unit.unicode() & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

QByteArray randomUnicodeBytes(QRandomGenerator &random)
{
    const QString text = randomText(random, randomLineEnd(random));
    switch (random.bounded(4)) {
    case 0:
        return text.toUtf8();
    case 1:
        return "\xEF\xBB\xBF" + text.toUtf8();
    default:
        return utf16Bytes(text, random.bounded(2) == 0);
    }
}

struct Tally {
    QMap<TextEncoding, int> encodings;
    int roundTrips = 0;
    int flagged = 0;
    int mixed = 0;
};

// Empty when the bytes come back unchanged through the codec and a real editor, or when the
// detector rightly flags characters the editor changes; otherwise what went wrong.
QString checkThroughEditor(QPlainTextEdit &editor, const QByteArray &bytes, Tally &tally)
{
    const DecodedDocument document = decodeDocument(bytes);
    ++tally.encodings[document.format.encoding];
    setEditorText(editor, document.text);
    const QString fromEditor = editorText(editor);
    const QString hex = QString::fromLatin1(bytes.toHex(' '));
    if (!document.charactersEditorCannotHold.isEmpty()) {
        ++tally.flagged;
        return fromEditor == document.text ? u"flagged needlessly: "_s + hex : QString();
    }
    if (fromEditor != document.text)
        return u"changed by the editor: "_s + hex;
    if (document.mixedLineEnds || document.incompleteLastCharacter) {
        ++tally.mixed;
        return {};
    }
    // Saved the way Save does it: from the editor's raw text.
    const EncodedDocument encoded = encodeDocument(editorRawText(editor), document.format);
    if (encoded.bytes != bytes)
        return u"saved differently: "_s + hex + u" -> "_s +
               QString::fromLatin1(encoded.bytes.toHex(' '));
    ++tally.roundTrips;
    return {};
}

} // namespace

class tst_EditorRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void detectorMatchesEditor();
    void editorKeepsWhatPlainTextLoses();
    void randomBytesRoundTrip();
    void randomUnicodeRoundTrip();

private:
    QPlainTextEdit m_editor;
};

void tst_EditorRoundTrip::initTestCase()
{
    // Laying out random scripts, the font engine warns about every font without shaping tables
    // for them, in the uncategorised log; nothing else here writes there.
    QLoggingCategory::setFilterRules(u"default.warning=false"_s);
}

void tst_EditorRoundTrip::detectorMatchesEditor()
{
    // Every code point but surrogates, in batches; a batch that does not come back is tried
    // character by character.
    QList<char32_t> failing;
    const auto survives = [this](const QString &text) {
        setEditorText(m_editor, text);
        return editorText(m_editor) == text;
    };
    constexpr char32_t batchSize = 1024;
    for (char32_t first = 0; first < 0x110000; first += batchSize) {
        QString batch;
        QList<char32_t> members;
        for (char32_t codePoint = first; codePoint < first + batchSize; ++codePoint) {
            if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
                continue;
            members.append(codePoint);
            batch += inContexts(characterOf(codePoint));
        }
        if (survives(batch))
            continue;
        for (const char32_t codePoint : members) {
            if (!survives(inContexts(characterOf(codePoint))))
                failing.append(codePoint);
        }
    }
    QList<char32_t> flagged;
    for (char32_t codePoint = 0; codePoint < 0x110000; ++codePoint) {
        if (!(codePoint >= 0xD800 && codePoint <= 0xDFFF) && !editorCanHold(codePoint))
            flagged.append(codePoint);
    }
    QCOMPARE(failing, flagged);
    QCOMPARE(charactersEditorCannotHold(u"a\u2029b\rc\uFDD1\uFDD0\u2029"_s),
             u"\u2029\r\uFDD1\uFDD0"_s);
}

void tst_EditorRoundTrip::editorKeepsWhatPlainTextLoses()
{
    const QString text = u"a\u00A0b\u2028c\td\0e\n\n"_s;
    setEditorText(m_editor, text);
    QCOMPARE(editorText(m_editor), text);
    QVERIFY(m_editor.toPlainText() != text);
}

void tst_EditorRoundTrip::randomBytesRoundTrip()
{
    QRandomGenerator random(20240611);
    Tally tally;
    constexpr int samples = 20000;
    for (int i = 0; i < samples; ++i) {
        const QString failure = checkThroughEditor(m_editor, randomBytes(random), tally);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
    for (const TextEncoding encoding :
         {TextEncoding::Utf8, TextEncoding::Utf8WithBom, TextEncoding::Utf16LE,
          TextEncoding::Utf16BE, TextEncoding::Windows1252}) {
        QVERIFY2(tally.encodings.value(encoding) > 100, qPrintable(encodingName(encoding)));
    }
    QVERIFY2(tally.roundTrips > samples * 85 / 100, qPrintable(QString::number(tally.roundTrips)));
}

void tst_EditorRoundTrip::randomUnicodeRoundTrip()
{
    QRandomGenerator random(7031);
    Tally tally;
    constexpr int samples = 8000;
    for (int i = 0; i < samples; ++i) {
        const QString failure = checkThroughEditor(m_editor, randomUnicodeBytes(random), tally);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
    QVERIFY(tally.flagged > 0);
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf8WithBom,
                                        TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        QVERIFY2(tally.encodings.value(encoding) > 1000, qPrintable(encodingName(encoding)));
    }
    QCOMPARE(tally.mixed, 0);
    QVERIFY2(tally.roundTrips > samples * 8 / 10, qPrintable(QString::number(tally.roundTrips)));
}

QTEST_MAIN(tst_EditorRoundTrip)
#include "tst_EditorRoundTrip.moc"
