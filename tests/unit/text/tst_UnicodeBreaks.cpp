// SPDX-License-Identifier: GPL-3.0-or-later
// Unicode's own test files of text segmentation, every line of them, over piece trees cut at
// random places (inside surrogate pairs too), so that the edges of ICU's chunks fall everywhere.
#include "text/TextBoundaries.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <unicode/uchar.h>

namespace {

enum class Unit { Character, Word };

struct BreakCase {
    QString text;
    QList<qsizetype> boundaries;
};

// A line reads "÷ 0061 × 0308 ÷ 0062 ÷ # comment": code points with ÷ where a boundary is and ×
// where none is.
BreakCase caseOf(const QString &line)
{
    BreakCase parsed;
    const QString rule = line.section(u'#', 0, 0).simplified();
    for (const QString &token : rule.split(u' ', Qt::SkipEmptyParts)) {
        if (token == u"\u00F7")
            parsed.boundaries.append(parsed.text.size());
        else if (token != u"\u00D7")
            parsed.text.append(QChar::fromUcs4(token.toUInt(nullptr, 16)));
    }
    return parsed;
}

QString unicodeDataFile(Unit unit)
{
    return QStringLiteral(TAVLO_UNICODE_AUXILIARY_DIR "/%1")
        .arg(unit == Unit::Character ? u"GraphemeBreakTest.txt" : u"WordBreakTest.txt");
}

// The piece tree of text in pieces of 1 to 4 units: prepending each piece keeps it one of its own.
PieceTree randomlyCut(const QString &text, QRandomGenerator &random)
{
    PieceTree tree;
    qsizetype end = text.size();
    while (end > 0) {
        const qsizetype start = std::max<qsizetype>(0, end - random.bounded(1, 5));
        tree = tree.inserted(0, QStringView(text).sliced(start, end - start));
        end = start;
    }
    return tree;
}

// The boundaries found by walking the text forward, and backward, one step at a time.
QList<qsizetype> walkedForward(const TextBoundaries &boundaries, qsizetype length, Unit unit)
{
    QList<qsizetype> found{0};
    for (qsizetype at = 0; at < length;) {
        at = unit == Unit::Character ? boundaries.nextCharacter(at)
                                     : boundaries.wordSegmentAt(at).end;
        found.append(at);
    }
    return found;
}

QList<qsizetype> walkedBackward(const TextBoundaries &boundaries, qsizetype length, Unit unit)
{
    QList<qsizetype> found{length};
    for (qsizetype at = length; at > 0;) {
        at = unit == Unit::Character ? boundaries.previousCharacter(at)
                                     : boundaries.wordSegmentAt(at - 1).start;
        found.prepend(at);
    }
    return found;
}

// UAX #29 keeps a colon between letters inside a word ("a:b"). ICU's root rules (from CLDR) part
// words at it, as QPlainTextEdit's word steps do, so that a time, a drive letter or a scheme such
// as "mailto:" stops Ctrl+Right; the steps keep that rule.
bool joinsWordsAtColon(const BreakCase &expected)
{
    for (qsizetype at = expected.text.indexOf(u':'); at >= 0;
         at = expected.text.indexOf(u':', at + 1)) {
        if (!expected.boundaries.contains(at))
            return true;
    }
    return false;
}

} // namespace

class tst_UnicodeBreaks : public QObject {
    Q_OBJECT

private slots:
    void everyLine_data();
    void everyLine();
};

void tst_UnicodeBreaks::everyLine_data()
{
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<QString>("line");
    for (const Unit unit : {Unit::Character, Unit::Word}) {
        QFile file(unicodeDataFile(unit));
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
        // The files must be of the Unicode version ICU follows, or their rules differ.
        const QString version =
            QString::fromUtf8(file.readLine()).section(u'-', 1).section(u'.', 0, 1);
        if (version != QStringLiteral(U_UNICODE_VERSION))
            QSKIP(qPrintable(u"%1 is of Unicode %2, ICU follows %3"_qs.arg(file.fileName(), version,
                                                                           U_UNICODE_VERSION)));
        for (int number = 2; !file.atEnd(); ++number) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (!line.startsWith(u'#') && !line.isEmpty())
                QTest::addRow("%s line %d", unit == Unit::Character ? "grapheme" : "word", number)
                    << unit << line;
        }
    }
}

void tst_UnicodeBreaks::everyLine()
{
    QFETCH(Unit, unit);
    QFETCH(QString, line);
    const BreakCase expected = caseOf(line);
    if (unit == Unit::Word && joinsWordsAtColon(expected))
        QSKIP("A colon between letters parts words in ICU's root rules and in the steps");
    QRandomGenerator random(quint32(qHash(line)));
    const PieceTree tree = randomlyCut(expected.text, random);
    QCOMPARE(tree.toString(), expected.text);
    const TextBoundaries boundaries(tree);
    const qsizetype length = tree.length();

    QCOMPARE(walkedForward(boundaries, length, unit), expected.boundaries);
    QCOMPARE(walkedBackward(boundaries, length, unit), expected.boundaries);
    // From every offset, boundary or not: the character or the word segment around it.
    for (qsizetype at = 0; at < length; ++at) {
        const auto next =
            std::upper_bound(expected.boundaries.begin(), expected.boundaries.end(), at);
        const std::pair<qsizetype, qsizetype> around{*(next - 1), *next};
        if (unit == Unit::Character) {
            QCOMPARE(std::pair(boundaries.characterStart(at), boundaries.nextCharacter(at)),
                     around);
        } else {
            const TextBoundaries::WordSegment segment = boundaries.wordSegmentAt(at);
            QCOMPARE(std::pair(segment.start, segment.end), around);
        }
    }
}

QTEST_GUILESS_MAIN(tst_UnicodeBreaks)
#include "tst_UnicodeBreaks.moc"
