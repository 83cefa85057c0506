// SPDX-License-Identifier: GPL-3.0-or-later
#include <QStringDecoder>
#include <QTest>

#include "storage/DocumentCodec.h"

Q_DECLARE_METATYPE(TextEncoding)
Q_DECLARE_METATYPE(LineEnd)
Q_DECLARE_METATYPE(TextFormat)

using namespace Qt::StringLiterals;

namespace {

QByteArray allBytesExcept(char excluded)
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value) {
        if (char(value) != excluded)
            bytes.append(char(value));
    }
    return bytes;
}

} // namespace

class tst_DocumentCodec : public QObject {
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void oddUtf16EndsInHalfCharacter_data();
    void oddUtf16EndsInHalfCharacter();
    void mixedLineEndsSaveUniformly_data();
    void mixedLineEndsSaveUniformly();
    void encode_data();
    void encode();
    void everyByteRoundTripsAlone();
    void windows1252MatchesTheCodePage();
    void allBytesTogetherRoundTrip();
    void encodingNames();
};

void tst_DocumentCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<LineEnd>("lineEnd");
    QTest::addColumn<bool>("endsWithLineEnd");
    QTest::addColumn<bool>("mixed");

    const auto utf8 = TextEncoding::Utf8;
    const auto bom8 = TextEncoding::Utf8WithBom;
    const auto cp1252 = TextEncoding::Windows1252;
    const auto crlf = LineEnd::CrLf;
    const auto lf = LineEnd::Lf;
    const auto cr = LineEnd::Cr;
    const auto row = [](const char *name) {
        return &QTest::newRow(name);
    };

    *row("empty file") << QByteArray() << QString() << utf8 << crlf << false << false;
    *row("no line end") << QByteArray("abc") << u"abc"_s << utf8 << crlf << false << false;
    *row("CR LF") << QByteArray("a\r\nb\r\n") << u"a\nb\n"_s << utf8 << crlf << true << false;
    *row("LF") << QByteArray("a\nb") << u"a\nb"_s << utf8 << lf << false << false;
    *row("CR") << QByteArray("a\rb\r") << u"a\nb\n"_s << utf8 << cr << true << false;
    *row("blank CR LF lines") << QByteArray("\r\n\r\n") << u"\n\n"_s << utf8 << crlf << true
                              << false;
    *row("lone CR then CR LF") << QByteArray("\r\r\n") << u"\n\n"_s << utf8 << cr << true << true;
    *row("mixed, CR LF first") << QByteArray("a\r\nb\nc\r") << u"a\nb\nc\n"_s << utf8 << crlf
                               << true << true;
    *row("mixed, LF first") << QByteArray("a\nb\r\nc") << u"a\nb\nc"_s << utf8 << lf << false
                            << true;
    *row("LF CR is two line ends") << QByteArray("\n\r") << u"\n\n"_s << utf8 << lf << true << true;
    *row("UTF-8 BOM") << QByteArray("\xEF\xBB\xBFh\xC3\xA9\n") << u"h\u00E9\n"_s << bom8 << lf
                      << true << false;
    *row("UTF-8 BOM alone") << QByteArray("\xEF\xBB\xBF") << QString() << bom8 << crlf << false
                            << false;
    *row("UTF-8 BOM twice") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                          "a")
                            << u"\uFEFFa"_s << bom8 << crlf << false << false;
    *row("UTF-16 LE") << QByteArray("\xFF\xFE"
                                    "a\0\r\0\n\0",
                                    8)
                      << u"a\n"_s << TextEncoding::Utf16LE << crlf << true << false;
    *row("UTF-16 BE pair") << QByteArray("\xFE\xFF\xD8\x3D\xDE\x00\x00\r", 8) << u"\U0001F600\n"_s
                           << TextEncoding::Utf16BE << cr << true << false;
    *row("UTF-16 LE unpaired high")
        << QByteArray("\xFF\xFE\x3D\xD8"
                      "a\0",
                      6)
        << u"\u00FF\u00FE=\u00D8a\0"_s << cp1252 << crlf << false << false;
    *row("UTF-16 BE lone low") << QByteArray("\xFE\xFF\xDC\x00", 4) << u"\u00FE\u00FF\u00DC\0"_s
                               << cp1252 << crlf << false << false;
    *row("UTF-8 BOM, then invalid")
        << QByteArray("\xEF\xBB\xBF\xFF") << u"\u00EF\u00BB\u00BF\u00FF"_s << cp1252 << crlf
        << false << false;
    *row("Latin-1 word") << QByteArray("caf\xE9\r\n") << u"caf\u00E9\n"_s << cp1252 << crlf << true
                         << false;
    *row("Windows-1252 high range")
        << QByteArray("\x80\x9F\x81\x8D\x8F\x90\x9D")
        << u"\u20AC\u0178\u0081\u008D\u008F\u0090\u009D"_s << cp1252 << crlf << false << false;
    *row("cut sequence at the end")
        << QByteArray("ab\xE2\x82") << u"ab\u00E2\u201A"_s << cp1252 << crlf << false << false;
    *row("lone continuation byte")
        << QByteArray("\x80") << u"\u20AC"_s << cp1252 << crlf << false << false;
    *row("overlong slash") << QByteArray("\xC0\xAF") << u"\u00C0\u00AF"_s << cp1252 << crlf << false
                           << false;
    *row("overlong three bytes") << QByteArray("\xE0\x80\xAF") << u"\u00E0\u20AC\u00AF"_s << cp1252
                                 << crlf << false << false;
    *row("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << u"\u00F0\u008F\u00BF\u00BF"_s
                                << cp1252 << crlf << false << false;
    *row("encoded surrogate") << QByteArray("\xED\xA0\x80") << u"\u00ED\u00A0\u20AC"_s << cp1252
                              << crlf << false << false;
    *row("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << u"\u00F4\u0090\u20AC\u20AC"_s
                          << cp1252 << crlf << false << false;
    *row("U+10FFFF") << QByteArray("\xF4\x8F\xBF\xBF") << u"\U0010FFFF"_s << utf8 << crlf << false
                     << false;
    *row("emoji") << QByteArray("\xF0\x9F\x98\x80") << u"\U0001F600"_s << utf8 << crlf << false
                  << false;
    *row("NBSP, U+2028, tab, NUL") << QByteArray("a\xC2\xA0"
                                                 "b\xE2\x80\xA8"
                                                 "c\td\0e",
                                                 12)
                                   << u"a\u00A0b\u2028c\td\0e"_s << utf8 << crlf << false << false;
}

void tst_DocumentCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(LineEnd, lineEnd);
    QFETCH(bool, endsWithLineEnd);
    QFETCH(bool, mixed);

    const DecodedDocument document = decodeDocument(bytes);
    QCOMPARE(document.text, text);
    QCOMPARE(document.format.encoding, encoding);
    QCOMPARE(document.format.lineEnd, lineEnd);
    QCOMPARE(document.format.appendFinalLineEnd, endsWithLineEnd);
    QCOMPARE(document.mixedLineEnds, mixed);
    QCOMPARE(document.charactersEditorCannotHold, QString());
    QVERIFY(!document.incompleteLastCharacter);
    QCOMPARE(document.savesBackUnchanged(), !mixed);
    if (!mixed) {
        const EncodedDocument encoded = encodeDocument(document.text, document.format);
        QCOMPARE(encoded.unrepresentable, QString());
        QCOMPARE(encoded.bytes, bytes);
    }
}

void tst_DocumentCodec::oddUtf16EndsInHalfCharacter_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");

    QTest::newRow("LE") << QByteArray("\xFF\xFE"
                                      "a\0\n\0b",
                                      7)
                        << u"a\n"_s << TextEncoding::Utf16LE;
    QTest::newRow("BE") << QByteArray("\xFE\xFF\0a\0", 5) << u"a"_s << TextEncoding::Utf16BE;
    QTest::newRow("mark and half")
        << QByteArray("\xFF\xFE\0", 3) << QString() << TextEncoding::Utf16LE;
}

// Read as Windows-1252 instead, such a file would get its UTF-16 line ends mangled on save.
void tst_DocumentCodec::oddUtf16EndsInHalfCharacter()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);

    const DecodedDocument document = decodeDocument(bytes);
    QCOMPARE(document.text, text);
    QCOMPARE(document.format.encoding, encoding);
    QVERIFY(document.incompleteLastCharacter);
    QVERIFY(!document.savesBackUnchanged());
    QCOMPARE(encodeDocument(document.text, document.format).bytes, bytes.chopped(1));
}

void tst_DocumentCodec::mixedLineEndsSaveUniformly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("CR LF first") << QByteArray("a\r\nb\nc\rd") << QByteArray("a\r\nb\r\nc\r\nd");
    QTest::newRow("LF first") << QByteArray("a\nb\r\n") << QByteArray("a\nb\n");
    QTest::newRow("CR first") << QByteArray("\ra\r\n") << QByteArray("\ra\r");
}

void tst_DocumentCodec::mixedLineEndsSaveUniformly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, saved);

    const DecodedDocument document = decodeDocument(bytes);
    QVERIFY(document.mixedLineEnds);
    QCOMPARE(encodeDocument(document.text, document.format).bytes, saved);
}

void tst_DocumentCodec::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("unrepresentable");

    const TextFormat newDocument;
    const auto format = [](TextEncoding encoding, LineEnd lineEnd, bool append) {
        return TextFormat{encoding, lineEnd, append};
    };
    const auto lf = LineEnd::Lf;
    const auto crlf = LineEnd::CrLf;

    QTest::newRow("new, empty") << QString() << newDocument << QByteArray("\r\n") << QString();
    QTest::newRow("new, no line end")
        << u"abc"_s << newDocument << QByteArray("abc\r\n") << QString();
    QTest::newRow("new, with line end")
        << u"abc\n"_s << newDocument << QByteArray("abc\r\n") << QString();
    QTest::newRow("new, blank last line")
        << u"abc\n\n"_s << newDocument << QByteArray("abc\r\n\r\n") << QString();
    QTest::newRow("final line end removed")
        << u"a\nb"_s << format(TextEncoding::Utf8, lf, true) << QByteArray("a\nb\n") << QString();
    QTest::newRow("no final line end")
        << u"a\nb"_s << format(TextEncoding::Utf8, lf, false) << QByteArray("a\nb") << QString();
    QTest::newRow("CR") << u"a\n\nb\n"_s << format(TextEncoding::Utf8, LineEnd::Cr, false)
                        << QByteArray("a\r\rb\r") << QString();
    QTest::newRow("UTF-8 BOM, empty") << QString() << format(TextEncoding::Utf8WithBom, crlf, false)
                                      << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("UTF-8, all lengths")
        << u"a\u00E9\u20AC\U0001F600"_s << format(TextEncoding::Utf8, crlf, false)
        << QByteArray("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80") << QString();
    QTest::newRow("UTF-16 LE line end") << u"a\n"_s << format(TextEncoding::Utf16LE, crlf, true)
                                        << QByteArray("\xFF\xFE"
                                                      "a\0\r\0\n\0",
                                                      8)
                                        << QString();
    QTest::newRow("UTF-16 LE appended line end")
        << u"a"_s << format(TextEncoding::Utf16LE, crlf, true)
        << QByteArray("\xFF\xFE"
                      "a\0\r\0\n\0",
                      8)
        << QString();
    QTest::newRow("UTF-16 LE pair") << u"\U0001F600"_s << format(TextEncoding::Utf16LE, crlf, false)
                                    << QByteArray("\xFF\xFE\x3D\xD8\x00\xDE", 6) << QString();
    QTest::newRow("UTF-16 BE pair") << u"\U0001F600"_s << format(TextEncoding::Utf16BE, crlf, false)
                                    << QByteArray("\xFE\xFF\xD8\x3D\xDE\x00", 6) << QString();
    QTest::newRow("Windows-1252") << u"\u20AC\u0081\u00FF\n"_s
                                  << format(TextEncoding::Windows1252, lf, true)
                                  << QByteArray("\x80\x81\xFF\n") << QString();
    QTest::newRow("Windows-1252 lacks them")
        << u"a\u0105b\U0001F600\u0105\n"_s << format(TextEncoding::Windows1252, lf, true)
        << QByteArray() << u"\u0105\U0001F600"_s;
    QTest::newRow("Windows-1252 lacks U+0080")
        << u"\u0080"_s << format(TextEncoding::Windows1252, lf, true) << QByteArray()
        << u"\u0080"_s;
    // The editor's raw text breaks its lines with paragraph separators.
    QTest::newRow("paragraph separators")
        << u"a\u2029\u2029b\u2029"_s << format(TextEncoding::Utf16BE, crlf, false)
        << QByteArray("\xFE\xFF\0a\0\r\0\n\0\r\0\n\0b\0\r\0\n", 18) << QString();
    QTest::newRow("paragraph separator ends it")
        << u"a\u2029"_s << format(TextEncoding::Windows1252, lf, true) << QByteArray("a\n")
        << QString();
    QTest::newRow("most bytes per character")
        << u"\u20AC\n\u20AC"_s << format(TextEncoding::Utf16LE, crlf, true)
        << QByteArray("\xFF\xFE\xAC\x20\r\0\n\0\xAC\x20\r\0\n\0", 14) << QString();
    const QString loneHigh = u"a"_s + QChar(0xD83D) + u"b"_s;
    QTest::newRow("UTF-8 lone surrogate")
        << loneHigh << newDocument << QByteArray() << QString(QChar(0xD83D));
    const QString loneLowAtEnd = u"a"_s + QChar(0xDE00);
    QTest::newRow("UTF-16 lone surrogate")
        << loneLowAtEnd << format(TextEncoding::Utf16BE, crlf, false) << QByteArray()
        << QString(QChar(0xDE00));
    const QString cutPair = QString(QChar(0xD83D)) + u"\n"_s;
    QTest::newRow("UTF-8 BOM surrogate before line end")
        << cutPair << format(TextEncoding::Utf8WithBom, crlf, true) << QByteArray()
        << QString(QChar(0xD83D));
}

void tst_DocumentCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(TextFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, unrepresentable);

    const EncodedDocument encoded = encodeDocument(text, format);
    QCOMPARE(encoded.unrepresentable, unrepresentable);
    QCOMPARE(encoded.bytes, bytes);
}

void tst_DocumentCodec::everyByteRoundTripsAlone()
{
    for (int value = 0; value < 256; ++value) {
        const QByteArray bytes(1, char(value));
        const DecodedDocument document = decodeDocument(bytes);
        QCOMPARE(document.text.size(), 1);
        QCOMPARE(encodeDocument(document.text, document.format).bytes, bytes);
    }
}

void tst_DocumentCodec::windows1252MatchesTheCodePage()
{
    // An independent table: the system's converter for the code page, which leaves the five
    // unassigned bytes undefined; those decode to the C1 control of the same value.
    QStringDecoder system("windows-1252");
    if (!system.isValid())
        QSKIP("This Qt has no Windows-1252 converter to compare with.");
    const QByteArray high = allBytesExcept('\0').sliced(0x7F);
    QCOMPARE(high.front(), '\x80');
    const DecodedDocument document = decodeDocument(high);
    QCOMPARE(document.format.encoding, TextEncoding::Windows1252);
    QCOMPARE(document.text.size(), high.size());
    const QList<int> unassigned = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
    for (qsizetype i = 0; i < high.size(); ++i) {
        const int byte = static_cast<unsigned char>(high[i]);
        const QString expected =
            unassigned.contains(byte) ? QString(QChar(byte)) : system.decode(high.mid(i, 1));
        QCOMPARE(QString(document.text[i]), expected);
    }
}

void tst_DocumentCodec::allBytesTogetherRoundTrip()
{
    const QByteArray bytes = allBytesExcept('\r');
    const DecodedDocument document = decodeDocument(bytes);
    QCOMPARE(document.format.encoding, TextEncoding::Windows1252);
    QCOMPARE(document.format.lineEnd, LineEnd::Lf);
    QVERIFY(!document.mixedLineEnds);
    QCOMPARE(encodeDocument(document.text, document.format).bytes, bytes);

    QVERIFY(decodeDocument(allBytesExcept('\x7F')).mixedLineEnds);
}

void tst_DocumentCodec::encodingNames()
{
    QCOMPARE(encodingName(TextEncoding::Utf8), u"UTF-8"_s);
    QCOMPARE(encodingName(TextEncoding::Utf8WithBom), u"UTF-8 with BOM"_s);
    QCOMPARE(encodingName(TextEncoding::Utf16LE), u"UTF-16 LE"_s);
    QCOMPARE(encodingName(TextEncoding::Utf16BE), u"UTF-16 BE"_s);
    QCOMPARE(encodingName(TextEncoding::Windows1252), u"Windows-1252"_s);
}

QTEST_APPLESS_MAIN(tst_DocumentCodec)
#include "tst_DocumentCodec.moc"
