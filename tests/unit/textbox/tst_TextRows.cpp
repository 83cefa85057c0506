// SPDX-License-Identifier: GPL-3.0-or-later
// Rows laid out a chunk at a time must break exactly where laying out the whole line would.
#include "textbox/TextRows.h"

#include <QTest>
#include <QTextLayout>

namespace {

constexpr qreal Width = 300;

QFont testFont()
{
    return QFont(QStringLiteral("DejaVu Sans"), 10);
}

QString repeated(const QString &piece, qsizetype length)
{
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    if (text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

// The row starts of the whole line, as one layout gives them.
QList<qsizetype> wholeLineRowStarts(const QString &line)
{
    QTextLayout layout(line, testFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(80);
    option.setTextDirection(line.left(1024).isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<qsizetype> starts;
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLineWidth(Width);
        starts.append(row.textStart());
    }
    layout.endLayout();
    return starts;
}

QList<qsizetype> chunkedRowStarts(TextRows &rows, qsizetype lineStart)
{
    QList<qsizetype> starts;
    for (qsizetype start = lineStart; start >= 0;) {
        const RowChunk &chunk = rows.chunkAt(start);
        for (int row = 0; row < chunk.rowCount; ++row)
            starts.append(chunk.rowStart(row) - lineStart);
        if (chunk.endsLine)
            break;
        start = chunk.end();
    }
    return starts;
}

} // namespace

class tst_TextRows : public QObject {
    Q_OBJECT
private slots:
    void longLinesBreakAsWhole_data();
    void longLinesBreakAsWhole();
    void jumpSettlesOnExactRows();
    void editKeepsRowsBeforeIt();
    void editKeepsChunksOfOtherLines();
    void editMovesTheIndexOfALaterLine();
    void preeditRowsStayOnTheText_data();
    void preeditRowsStayOnTheText();
};

void tst_TextRows::longLinesBreakAsWhole_data()
{
    QTest::addColumn<QString>("line");
    const qsizetype length = 60000;
    QTest::newRow("words") << repeated(QStringLiteral("lorem ipsum dolor sit amet, "), length);
    QTest::newRow("no spaces") << repeated(QStringLiteral("abcdefghijklmnopqrstuvwxyz"), length);
    QTest::newRow("accents") << repeated(QStringLiteral("e\u0301te\u0301 cafe\u0301 noe\u0308l "),
                                         length);
    // Not ZWJ sequences: a whole-line layout shapes in items of about 4,096 units and cuts such a
    // sequence where an item ends, which makes its rows, not the chunked ones, the odd ones there.
    QTest::newRow("emoji") << repeated(QStringLiteral("\U0001F600 ok \U0001F44D\U0001F3FD fine "),
                                       length);
    QTest::newRow("hebrew with latin and digits") << repeated(
        QStringLiteral("\u05E9\u05DC\u05D5\u05DD abc 123 \u05E2\u05D5\u05DC\u05DD "), length);
}

void tst_TextRows::longLinesBreakAsWhole()
{
    QFETCH(QString, line);
    const PieceTree text(QStringLiteral("first\n") + line + QStringLiteral("\nlast"));
    TextRows rows(text);
    rows.setFont(testFont());
    rows.setWidth(Width);
    QCOMPARE(chunkedRowStarts(rows, 6), wholeLineRowStarts(line));
}

void tst_TextRows::jumpSettlesOnExactRows()
{
    const QString line = repeated(QStringLiteral("lorem ipsum dolor sit amet, "), 200000);
    const PieceTree text(line);
    TextRows rows(text);
    rows.setFont(testFont());
    rows.setWidth(Width);
    const qsizetype deep = 150001;
    QVERIFY(!rows.isExactAt(deep));
    rows.rowStartFor(deep); // an approximate answer at once
    while (rows.extendIndexTowards(deep, 50)) {
    }
    QVERIFY(rows.isExactAt(deep));
    const QList<qsizetype> exact = wholeLineRowStarts(line);
    const auto row = std::upper_bound(exact.begin(), exact.end(), deep) - 1;
    QCOMPARE(rows.rowStartFor(deep), *row);
}

void tst_TextRows::editKeepsRowsBeforeIt()
{
    QString line = repeated(QStringLiteral("lorem ipsum dolor sit amet, "), 50000);
    PieceTree text(line);
    TextRows rows(text);
    rows.setFont(testFont());
    rows.setWidth(Width);
    while (rows.extendIndexTowards(line.size(), 50)) {
    }
    const qsizetype at = 30000;
    text = text.inserted(at, QStringLiteral("inserted words "));
    line.insert(at, QStringLiteral("inserted words "));
    rows.edited(at, 0, 15);
    while (rows.extendIndexTowards(line.size(), 50)) {
    }
    const QList<qsizetype> exact = wholeLineRowStarts(line);
    for (const qsizetype probe : {qsizetype(100), at - 5000, at + 3, qsizetype(line.size() - 1)}) {
        const auto row = std::upper_bound(exact.begin(), exact.end(), probe) - 1;
        QCOMPARE(rows.rowStartFor(probe), *row);
    }
}

void tst_TextRows::editKeepsChunksOfOtherLines()
{
    PieceTree text(QStringLiteral("first line\nsecond line\nthird line\nfourth"));
    TextRows rows(text);
    rows.setFont(testFont());
    rows.setWidth(Width);
    const auto first = rows.chunkAt(0).layout;
    const auto second = rows.chunkAt(11).layout;
    const auto third = rows.chunkAt(23).layout;
    text = text.inserted(14, QStringLiteral("XY\n"));
    rows.edited(14, 0, 3);
    QCOMPARE(rows.chunkAt(0).layout, first);
    QCOMPARE(rows.chunkAt(26).layout, third);
    QCOMPARE(rows.chunkAt(26).end(), 36);
    QVERIFY(rows.chunkAt(11).layout != second);
    QCOMPARE(rows.chunkAt(11).end(), 16);
}

// The index of a long line after an edit stays whole and exact, moved by the edit's length.
void tst_TextRows::editMovesTheIndexOfALaterLine()
{
    const QString line = repeated(QStringLiteral("lorem ipsum dolor sit amet, "), 50000);
    PieceTree text(QStringLiteral("first\n") + line);
    TextRows rows(text);
    rows.setFont(testFont());
    rows.setWidth(Width);
    while (rows.extendIndexTowards(text.length(), 50)) {
    }
    const QString lines = QStringLiteral("a\nnew\nfirst line");
    text = text.removed(0, 5).inserted(0, lines);
    rows.edited(0, 5, lines.size());
    const qsizetype lineStart = lines.size() + 1;
    const QList<qsizetype> exact = wholeLineRowStarts(line);
    for (const qsizetype probe : {qsizetype(9000), qsizetype(line.size() - 1)}) {
        QVERIFY(rows.isExactAt(lineStart + probe));
        const auto row = std::upper_bound(exact.begin(), exact.end(), probe) - 1;
        QCOMPARE(rows.rowStartFor(lineStart + probe), lineStart + *row);
    }
}

void tst_TextRows::preeditRowsStayOnTheText_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("at");
    QTest::newRow("short line") << repeated(QStringLiteral("lorem ipsum dolor "), 300) << 40;
    QTest::newRow("long line") << repeated(QStringLiteral("lorem ipsum dolor "), 5000) << 900;
}

// The layout counts the preedit's units; every row must still start and end at offsets of the
// text, each holding the offsets between, and the chunks of a long line follow on exactly.
void tst_TextRows::preeditRowsStayOnTheText()
{
    QFETCH(QString, line);
    QFETCH(int, at);
    const PieceTree text(line);
    TextRows rows(text);
    rows.setFont(testFont());
    rows.setWidth(Width);
    rows.setPreedit(at, repeated(QStringLiteral("composing "), 120));
    for (qsizetype position = 0; position < std::min<qsizetype>(line.size(), 3000); position += 7) {
        const TextRows::RowRef row = rows.rowFor(position);
        QVERIFY2(
            row.start() <= position && position <= row.end(),
            qPrintable(
                QStringLiteral("%1 in [%2, %3]").arg(position).arg(row.start()).arg(row.end())));
    }
    // The row index built while composing is of no use once the composition is gone.
    while (rows.extendIndexTowards(line.size(), 50)) {
    }
    rows.setPreedit(-1, QString());
    QCOMPARE(chunkedRowStarts(rows, 0).mid(0, 40), wholeLineRowStarts(line).mid(0, 40));
    while (rows.extendIndexTowards(line.size(), 50)) {
    }
    const QList<qsizetype> exact = wholeLineRowStarts(line);
    const qsizetype deep = line.size() - 100;
    QCOMPARE(rows.rowStartFor(deep), *(std::upper_bound(exact.begin(), exact.end(), deep) - 1));
}

QTEST_MAIN(tst_TextRows)
#include "tst_TextRows.moc"
