// SPDX-License-Identifier: GPL-3.0-or-later
#include <QStringDecoder>
#include <QTest>

#include "storage/DocumentCodec.h"
#include "text/PieceTree.h"

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
    void encode_data();
    void encode();
    void encodeAcrossPieces_data();
    void encodeAcrossPieces();
    void unrepresentableIsPlaced_data();
    void unrepresentableIsPlaced();
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

    const auto utf8 = TextEncoding::Utf8;
    const auto bom8 = TextEncoding::Utf8WithBom;
    const auto cp1252 = TextEncoding::Windows1252;
    const auto crlf = LineEnd::CrLf;
    const auto lf = LineEnd::Lf;
    const auto cr = LineEnd::Cr;
    const auto row = [](const char *name) {
        return &QTest::newRow(name);
    };

    *row("empty file") << QByteArray() << QString() << utf8 << crlf << false;
    *row("no line end") << QByteArray("abc") << u"abc"_s << utf8 << crlf << false;
    *row("CR LF") << QByteArray("a\r\nb\r\n") << u"a\r\nb\r\n"_s << utf8 << crlf << true;
    *row("LF") << QByteArray("a\nb") << u"a\nb"_s << utf8 << lf << false;
    *row("CR") << QByteArray("a\rb\r") << u"a\rb\r"_s << utf8 << cr << true;
    *row("blank CR LF lines") << QByteArray("\r\n\r\n") << u"\r\n\r\n"_s << utf8 << crlf << true;
    *row("lone CR then CR LF") << QByteArray("\r\r\n") << u"\r\r\n"_s << utf8 << cr << true;
    *row("mixed, CR LF first") << QByteArray("a\r\nb\nc\r") << u"a\r\nb\nc\r"_s << utf8 << crlf
                               << true;
    *row("mixed, LF first") << QByteArray("a\nb\r\nc") << u"a\nb\r\nc"_s << utf8 << lf << false;
    *row("LF CR is two line ends") << QByteArray("\n\r") << u"\n\r"_s << utf8 << lf << true;
    *row("UTF-8 BOM") << QByteArray("\xEF\xBB\xBFh\xC3\xA9\n") << u"h\u00E9\n"_s << bom8 << lf
                      << true;
    *row("UTF-8 BOM alone") << QByteArray("\xEF\xBB\xBF") << QString() << bom8 << crlf << false;
    *row("UTF-8 BOM twice") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                          "a")
                            << u"\uFEFFa"_s << bom8 << crlf << false;
    *row("UTF-16 LE") << QByteArray("\xFF\xFE"
                                    "a\0\r\0\n\0",
                                    8)
                      << u"a\r\n"_s << TextEncoding::Utf16LE << crlf << true;
    *row("UTF-16 BE pair") << QByteArray("\xFE\xFF\xD8\x3D\xDE\x00\x00\r", 8) << u"\U0001F600\r"_s
                           << TextEncoding::Utf16BE << cr << true;
    *row("UTF-16 LE unpaired high")
        << QByteArray("\xFF\xFE\x3D\xD8"
                      "a\0",
                      6)
        << QChar(0xD83D) + u"a"_s << TextEncoding::Utf16LE << crlf << false;
    *row("UTF-16 BE lone low") << QByteArray("\xFE\xFF\xDC\x00", 4) << QString(QChar(0xDC00))
                               << TextEncoding::Utf16BE << crlf << false;
    *row("UTF-8 BOM, then invalid") << QByteArray("\xEF\xBB\xBF\xFF")
                                    << u"\u00EF\u00BB\u00BF\u00FF"_s << cp1252 << crlf << false;
    *row("Latin-1 word") << QByteArray("caf\xE9\r\n") << u"caf\u00E9\r\n"_s << cp1252 << crlf
                         << true;
    *row("Windows-1252 high range")
        << QByteArray("\x80\x9F\x81\x8D\x8F\x90\x9D")
        << u"\u20AC\u0178\u0081\u008D\u008F\u0090\u009D"_s << cp1252 << crlf << false;
    *row("cut sequence at the end")
        << QByteArray("ab\xE2\x82") << u"ab\u00E2\u201A"_s << cp1252 << crlf << false;
    *row("lone continuation byte") << QByteArray("\x80") << u"\u20AC"_s << cp1252 << crlf << false;
    *row("overlong slash") << QByteArray("\xC0\xAF") << u"\u00C0\u00AF"_s << cp1252 << crlf
                           << false;
    *row("overlong three bytes") << QByteArray("\xE0\x80\xAF") << u"\u00E0\u20AC\u00AF"_s << cp1252
                                 << crlf << false;
    *row("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << u"\u00F0\u008F\u00BF\u00BF"_s
                                << cp1252 << crlf << false;
    *row("encoded surrogate") << QByteArray("\xED\xA0\x80") << u"\u00ED\u00A0\u20AC"_s << cp1252
                              << crlf << false;
    *row("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << u"\u00F4\u0090\u20AC\u20AC"_s
                          << cp1252 << crlf << false;
    *row("U+10FFFF") << QByteArray("\xF4\x8F\xBF\xBF") << u"\U0010FFFF"_s << utf8 << crlf << false;
    *row("emoji") << QByteArray("\xF0\x9F\x98\x80") << u"\U0001F600"_s << utf8 << crlf << false;
    *row("NBSP, U+2028, tab, NUL") << QByteArray("a\xC2\xA0"
                                                 "b\xE2\x80\xA8"
                                                 "c\td\0e",
                                                 12)
                                   << u"a\u00A0b\u2028c\td\0e"_s << utf8 << crlf << false;
    *row("U+2029, U+FDD0, U+FDD1") << QByteArray("a\xE2\x80\xA9\xEF\xB7\x90\xEF\xB7\x91\n")
                                   << u"a\u2029\uFDD0\uFDD1\n"_s << utf8 << lf << true;
}

// Line ends stay as they are in the file, so every text encodes back to its very bytes.
void tst_DocumentCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(LineEnd, lineEnd);
    QFETCH(bool, endsWithLineEnd);

    const DecodedDocument document = decodeDocument(bytes);
    QCOMPARE(document.text, text);
    QCOMPARE(document.format.encoding, encoding);
    QCOMPARE(document.format.lineEnd, lineEnd);
    QCOMPARE(document.format.appendFinalLineEnd, endsWithLineEnd);
    QVERIFY(!document.incompleteLastCharacter);
    const EncodedDocument encoded = encodeDocument(PieceTree(document.text), document.format);
    QCOMPARE(encoded.unrepresentable, QString());
    QCOMPARE(encoded.bytes, bytes);
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
    QCOMPARE(encodeDocument(PieceTree(document.text), document.format).bytes, bytes.chopped(1));
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
    QTest::newRow("new, ends in LF")
        << u"abc\n"_s << newDocument << QByteArray("abc\n") << QString();
    QTest::newRow("new, ends in CR")
        << u"abc\r"_s << newDocument << QByteArray("abc\r") << QString();
    QTest::newRow("final line end added")
        << u"a\nb"_s << format(TextEncoding::Utf8, lf, true) << QByteArray("a\nb\n") << QString();
    QTest::newRow("no final line end")
        << u"a\nb"_s << format(TextEncoding::Utf8, lf, false) << QByteArray("a\nb") << QString();
    QTest::newRow("line ends as they are")
        << u"a\r\nb\nc\rd\n\r"_s << format(TextEncoding::Utf8, LineEnd::Cr, true)
        << QByteArray("a\r\nb\nc\rd\n\r") << QString();
    QTest::newRow("UTF-8 BOM, empty") << QString() << format(TextEncoding::Utf8WithBom, crlf, false)
                                      << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("UTF-8, all lengths")
        << u"a\u00E9\u20AC\U0001F600"_s << format(TextEncoding::Utf8, crlf, false)
        << QByteArray("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80") << QString();
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
    QTest::newRow("paragraph separator is a character")
        << u"a\u2029"_s << format(TextEncoding::Utf16BE, crlf, true)
        << QByteArray("\xFE\xFF\0a\x20\x29\0\r\0\n", 10) << QString();
    QTest::newRow("Windows-1252 lacks U+2029")
        << u"a\u2029"_s << format(TextEncoding::Windows1252, lf, true) << QByteArray()
        << u"\u2029"_s;
    QTest::newRow("most bytes per character")
        << u"\u20AC\n\u20AC"_s << format(TextEncoding::Utf8, crlf, true)
        << QByteArray("\xE2\x82\xAC\n\xE2\x82\xAC\r\n") << QString();
    const QString loneHigh = u"a"_s + QChar(0xD83D) + u"b"_s;
    QTest::newRow("UTF-8 lone surrogate")
        << loneHigh << newDocument << QByteArray() << QString(QChar(0xD83D));
    const QString loneLowAtEnd = u"a"_s + QChar(0xDE00);
    QTest::newRow("UTF-16 lone surrogate")
        << loneLowAtEnd << format(TextEncoding::Utf16BE, crlf, false)
        << QByteArray("\xFE\xFF\0a\xDE\0", 6) << QString();
    const QString cutPair = QString(QChar(0xD83D)) + u"\n"_s;
    QTest::newRow("UTF-8 BOM surrogate before line end")
        << cutPair << format(TextEncoding::Utf8WithBom, crlf, true) << QByteArray()
        << QString(QChar(0xD83D));
    const QString highAtEnd = u"a"_s + QChar(0xD83D);
    QTest::newRow("surrogate before the added line end")
        << highAtEnd << format(TextEncoding::Utf16LE, crlf, true)
        << QByteArray("\xFF\xFE"
                      "a\0\x3D\xD8\r\0\n\0",
                      10)
        << QString();
    QTest::newRow("Windows-1252 lone surrogate")
        << highAtEnd << format(TextEncoding::Windows1252, crlf, false) << QByteArray()
        << QString(QChar(0xD83D));
}

void tst_DocumentCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(TextFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, unrepresentable);

    const EncodedDocument encoded = encodeDocument(PieceTree(text), format);
    QCOMPARE(encoded.unrepresentable, unrepresentable);
    QCOMPARE(encoded.bytes, bytes);
}

void tst_DocumentCodec::encodeAcrossPieces_data()
{
    encode_data();
    const QString pairs = u"\U0001F600\U0001F600"_s;
    QTest::newRow("pairs split, UTF-8")
        << pairs << TextFormat{TextEncoding::Utf8, LineEnd::Lf, false}
        << QByteArray("\xF0\x9F\x98\x80\xF0\x9F\x98\x80") << QString();
    QTest::newRow("lone low, then a pair")
        << pairs.sliced(1) << TextFormat{TextEncoding::Utf16BE, LineEnd::Lf, false}
        << QByteArray("\xFE\xFF\xDE\0\xD8\x3D\xDE\0", 8) << QString();
    QTest::newRow("lone low, then a pair, UTF-8")
        << pairs.sliced(1) << TextFormat{TextEncoding::Utf8, LineEnd::Lf, false} << QByteArray()
        << QString(QChar(0xDE00));
    QTest::newRow("CR LF split at the end")
        << u"a\r\n"_s << TextFormat{TextEncoding::Utf8, LineEnd::Cr, true} << QByteArray("a\r\n")
        << QString();
}

// A snapshot of the box's text comes in pieces: pairs and line ends fall across their edges.
void tst_DocumentCodec::encodeAcrossPieces()
{
    QFETCH(QString, text);
    QFETCH(TextFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, unrepresentable);

    for (const qsizetype pieceLength : {1, 2, 3}) {
        const PieceTree tree(text, pieceLength);
        int chunks = 0;
        tree.forEachChunk(0, tree.length(), [&chunks](QStringView) {
            ++chunks;
            return true;
        });
        if (chunks < tree.length() / pieceLength)
            QSKIP("This piece tree keeps a short text in one piece.");
        const EncodedDocument encoded = encodeDocument(tree, format);
        QCOMPARE(encoded.unrepresentable, unrepresentable);
        QCOMPARE(encoded.bytes, bytes);
    }
}

void tst_DocumentCodec::unrepresentableIsPlaced_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<qsizetype>("first");
    QTest::addColumn<bool>("loneSurrogate");
    const QString lone(QChar(0xD83D));
    QTest::newRow("after ASCII") << u"abc\r\nde"_s + lone << TextEncoding::Utf8 << qsizetype(7)
                                 << true;
    QTest::newRow("after a pair and accents") << u"\U0001F600\u00E9"_s + lone + u"x"_s
                                              << TextEncoding::Utf8WithBom << qsizetype(3) << true;
    QTest::newRow("lone low at the start")
        << QChar(0xDE00) + u"a"_s << TextEncoding::Utf8 << qsizetype(0) << true;
    QTest::newRow("Windows-1252, no surrogate")
        << u"ab \u0105 \U0001F600"_s << TextEncoding::Windows1252 << qsizetype(3) << false;
    QTest::newRow("Windows-1252, a surrogate later")
        << u"\u0105"_s + lone << TextEncoding::Windows1252 << qsizetype(0) << true;
}

// Where the first character the encoding cannot hold is, whatever the pieces of the text.
void tst_DocumentCodec::unrepresentableIsPlaced()
{
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(qsizetype, first);
    QFETCH(bool, loneSurrogate);
    for (const qsizetype pieceLength : {1, 2, 16}) {
        const EncodedDocument encoded =
            encodeDocument(PieceTree(text, pieceLength), TextFormat{encoding, LineEnd::Lf, true});
        QVERIFY(encoded.bytes.isEmpty());
        QCOMPARE(encoded.firstUnrepresentable, first);
        QCOMPARE(encoded.loneSurrogate, loneSurrogate);
    }
}

void tst_DocumentCodec::everyByteRoundTripsAlone()
{
    for (int value = 0; value < 256; ++value) {
        const QByteArray bytes(1, char(value));
        const DecodedDocument document = decodeDocument(bytes);
        QCOMPARE(document.text.size(), 1);
        QCOMPARE(encodeDocument(PieceTree(document.text), document.format).bytes, bytes);
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
    const QByteArray bytes = allBytesExcept('\x7F');
    const DecodedDocument document = decodeDocument(bytes);
    QCOMPARE(document.format.encoding, TextEncoding::Windows1252);
    QCOMPARE(document.format.lineEnd, LineEnd::Lf);
    QCOMPARE(encodeDocument(PieceTree(document.text), document.format).bytes, bytes);
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
