// SPDX-License-Identifier: GPL-3.0-or-later
// Putting an opened text into the editor a slice at a time: how the text is cut, and what the
// editor looks like while the slices go in and after.
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include "storage/DocumentLoader.h"
#include "storage/TextSlices.h"

using namespace Qt::StringLiterals;

class tst_DocumentLoader : public QObject {
    Q_OBJECT
private slots:
    void slicesJoinUpAndEndAtLineEnds_data();
    void slicesJoinUpAndEndAtLineEnds();
    void randomTextsSliceSafely();
    void slicesGoInOneTurnAtATime();
    void finishedTextIsAFreshDocument();
    void cancelStopsWhereItIs();
    void emptyTextFinishes();
};

namespace {

// Checks what any cut must give, and returns the first broken rule, or an empty string.
QString brokenRule(const QString &text, const QStringList &slices, qsizetype length)
{
    if (slices.join(QString()) != text)
        return u"the slices do not join up to the text"_s;
    for (qsizetype i = 0; i < slices.size(); ++i) {
        const QString &slice = slices[i];
        if (slice.isEmpty())
            return u"slice %1 is empty"_s.arg(i);
        if (slice.size() > length + 1)
            return u"slice %1 has %2 characters"_s.arg(i).arg(slice.size());
        if (slice.back().isHighSurrogate())
            return u"slice %1 splits a surrogate pair"_s.arg(i);
        const bool last = i + 1 == slices.size();
        if (!last && slice.contains(u'\n') && !slice.endsWith(u'\n'))
            return u"slice %1 splits a line needlessly"_s.arg(i);
    }
    return {};
}

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(u"line %1\n"_s.arg(i));
    return lines;
}

} // namespace

void tst_DocumentLoader::slicesJoinUpAndEndAtLineEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<int>("expectedSlices");

    QTest::newRow("empty") << QString() << qsizetype(8) << 0;
    QTest::newRow("shorter than a slice") << u"ab\ncd"_s << qsizetype(8) << 1;
    QTest::newRow("exactly one slice") << u"abcdefg\n"_s << qsizetype(8) << 1;
    QTest::newRow("cut after the last line end") << u"abc\ndef\nghi\n"_s << qsizetype(9) << 2;
    QTest::newRow("one long line") << u"abcdefghijklmnopqrst"_s << qsizetype(8) << 3;
    const QString pair = u"\U0001F600"_s;
    QTest::newRow("pair across the cut") << (u"abcdefg"_s + pair + u"xyz"_s) << qsizetype(8) << 2;
    QTest::newRow("only line ends") << QString(20, u'\n') << qsizetype(8) << 3;
}

void tst_DocumentLoader::slicesJoinUpAndEndAtLineEnds()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, length);
    QFETCH(int, expectedSlices);
    const QStringList slices = cutIntoSlices(QString(text), length);
    const QString broken = brokenRule(text, slices, length);
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    QCOMPARE(slices.size(), expectedSlices);
}

void tst_DocumentLoader::randomTextsSliceSafely()
{
    // Texts with many surrogate pairs and line ends in all places: many small ones cut at small
    // lengths, and a few past the size at which the text shrinks while it is cut.
    QRandomGenerator random(20261207);
    const char16_t pieces[][3] = {u"a", u"\n", u"\U0001F600", u"\u00E9", u"\n\n"};
    const auto randomText = [&](int pieceCount) {
        QString text;
        for (int i = 0; i < pieceCount; ++i)
            text += QStringView(pieces[random.bounded(5)]);
        return text;
    };
    for (int round = 0; round < 253; ++round) {
        const bool large = round >= 250;
        const QString text = randomText(large ? 3 * 1024 * 1024 : random.bounded(200));
        const qsizetype length =
            large ? 1024 * 1024 + random.bounded(1000) : 2 + random.bounded(20);
        const QString broken = brokenRule(text, cutIntoSlices(QString(text), length), length);
        QVERIFY2(broken.isEmpty(), qPrintable(u"length %1: %2"_s.arg(length).arg(broken)));
    }
}

void tst_DocumentLoader::slicesGoInOneTurnAtATime()
{
    QPlainTextEdit editor;
    editor.setPlainText(u"old text"_s);
    DocumentLoader loader(editor, 0);
    QSignalSpy progressed(&loader, &DocumentLoader::progressed);
    const QStringList slices = numberedLines(40);

    loader.start(slices);
    QVERIFY(loader.isRunning());
    QCOMPARE(editor.toPlainText(), QString()); // the old text is gone at once
    QCOMPARE(progressed.size(), 1);
    QCOMPARE(progressed.takeFirst().at(0).toInt(), 0);

    // With no time allowed per turn, each turn of the event loop puts in exactly one slice.
    for (int turn = 1; turn < slices.size(); ++turn) {
        QVERIFY(QTest::qWaitFor([&] { return !progressed.isEmpty(); }, 5000));
        QCOMPARE(editor.toPlainText(), slices.mid(0, turn).join(QString()));
        const int percent = progressed.takeFirst().at(0).toInt();
        QVERIFY2(percent > 0 && percent < 100, qPrintable(QString::number(percent)));
        QVERIFY(progressed.isEmpty());
        // The caret stays at the start while the text grows behind it.
        QCOMPARE(editor.textCursor().position(), 0);
    }
    QVERIFY(QTest::qWaitFor([&] { return !loader.isRunning(); }, 5000));
    QCOMPARE(progressed.takeLast().at(0).toInt(), 100);
    QCOMPARE(editor.toPlainText(), slices.join(QString()));
}

void tst_DocumentLoader::finishedTextIsAFreshDocument()
{
    QPlainTextEdit editor;
    editor.setPlainText(u"old"_s);
    QTest::keyClicks(&editor, u"typed"_s);
    QVERIFY(editor.document()->isUndoAvailable());
    DocumentLoader loader(editor);
    QSignalSpy finished(&loader, &DocumentLoader::finished);

    loader.start(numberedLines(3));
    QVERIFY(finished.wait(5000));
    QCOMPARE(editor.toPlainText(), u"line 0\nline 1\nline 2\n"_s);
    QCOMPARE(editor.textCursor().position(), 0);
    QVERIFY(!editor.document()->isModified());
    // Neither the old text nor the slices can be undone, but new typing can.
    QVERIFY(!editor.document()->isUndoAvailable());
    QTest::keyClicks(&editor, u"x"_s);
    QCOMPARE(editor.toPlainText(), u"xline 0\nline 1\nline 2\n"_s);
    editor.undo();
    QCOMPARE(editor.toPlainText(), u"line 0\nline 1\nline 2\n"_s);
}

void tst_DocumentLoader::cancelStopsWhereItIs()
{
    QPlainTextEdit editor;
    DocumentLoader loader(editor, 0);
    QSignalSpy progressed(&loader, &DocumentLoader::progressed);
    QSignalSpy finished(&loader, &DocumentLoader::finished);
    loader.start(numberedLines(10));
    QVERIFY(QTest::qWaitFor([&] { return progressed.size() >= 3; }, 5000));

    loader.cancel();
    const QString kept = editor.toPlainText();
    QVERIFY(!loader.isRunning());
    QTest::qWait(50);
    QCOMPARE(editor.toPlainText(), kept);
    QCOMPARE(finished.size(), 0);
    QVERIFY(editor.document()->isUndoRedoEnabled());
}

void tst_DocumentLoader::emptyTextFinishes()
{
    QPlainTextEdit editor;
    editor.setPlainText(u"old"_s);
    DocumentLoader loader(editor);
    QSignalSpy finished(&loader, &DocumentLoader::finished);
    loader.start({});
    QVERIFY(finished.wait(5000));
    QVERIFY(editor.document()->isEmpty());
    QVERIFY(!loader.isRunning());
}

QTEST_MAIN(tst_DocumentLoader)
#include "tst_DocumentLoader.moc"
