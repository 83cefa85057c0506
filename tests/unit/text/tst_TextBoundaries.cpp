// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextBoundaries.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

// QTextCursor on the same text with LF for every line break. Offsets between a CR and its LF have
// no counterpart; every other offset of the text is one of the document's, in the same order.
class TextCursorReference {
public:
    explicit TextCursorReference(const QString &text)
    {
        QString plain = text;
        plain.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
        m_document.setPlainText(plain);
        for (qsizetype offset = 0; offset <= text.size(); ++offset) {
            if (offset == 0 || text.mid(offset - 1, 2) != u"\r\n")
                m_textOffsets.append(offset);
        }
    }

    const QList<qsizetype> &textOffsets() const { return m_textOffsets; }

    qsizetype moved(qsizetype offset, QTextCursor::MoveOperation operation) const
    {
        QTextCursor cursor = cursorAt(offset);
        cursor.movePosition(operation);
        return m_textOffsets[cursor.position()];
    }

    std::pair<qsizetype, qsizetype> wordAt(qsizetype offset) const
    {
        QTextCursor cursor = cursorAt(offset);
        cursor.select(QTextCursor::WordUnderCursor);
        return {m_textOffsets[cursor.selectionStart()], m_textOffsets[cursor.selectionEnd()]};
    }

private:
    QTextCursor cursorAt(qsizetype offset) const
    {
        QTextCursor cursor(const_cast<QTextDocument *>(&m_document));
        cursor.setPosition(int(m_textOffsets.indexOf(offset)));
        return cursor;
    }

    QTextDocument m_document;
    QList<qsizetype> m_textOffsets;
};

enum class Step {
    NextCharacter,
    PreviousCharacter,
    NextWord,
    PreviousWord,
    WordAt,
    CharacterStart,
    CharacterEnd
};

QList<qsizetype> boxStep(const PieceTree &text, Step step, qsizetype offset)
{
    const TextBoundaries boundaries(text);
    switch (step) {
    case Step::NextCharacter:
        return {boundaries.nextCharacter(offset)};
    case Step::PreviousCharacter:
        return {boundaries.previousCharacter(offset)};
    case Step::NextWord:
        return {boundaries.nextWord(offset)};
    case Step::PreviousWord:
        return {boundaries.previousWord(offset)};
    case Step::CharacterStart:
        return {boundaries.characterStart(offset)};
    case Step::CharacterEnd:
        return {boundaries.characterEnd(offset)};
    case Step::WordAt:
        break;
    }
    const auto [start, end] = boundaries.wordAt(offset);
    return {start, end};
}

QList<qsizetype> referenceStep(const TextCursorReference &reference, Step step, qsizetype offset)
{
    switch (step) {
    case Step::NextCharacter:
        return {reference.moved(offset, QTextCursor::NextCharacter)};
    case Step::PreviousCharacter:
        return {reference.moved(offset, QTextCursor::PreviousCharacter)};
    case Step::NextWord:
        return {reference.moved(offset, QTextCursor::NextWord)};
    case Step::PreviousWord:
        return {reference.moved(offset, QTextCursor::PreviousWord)};
    case Step::WordAt:
    case Step::CharacterStart:
    case Step::CharacterEnd:
        break;
    }
    const auto [start, end] = reference.wordAt(offset);
    return {start, end};
}

} // namespace

class tst_TextBoundaries : public QObject {
    Q_OBJECT

private slots:
    void matchesTextCursor_data();
    void matchesTextCursor();
    void rules_data();
    void rules();
    void neverInsideACharacter_data();
    void neverInsideACharacter();
    void codePointEdge_data();
    void codePointEdge();
};

void tst_TextBoundaries::matchesTextCursor_data()
{
    QTest::addColumn<QString>("text");
    // Where two of Unicode's words meet without a space between them, the words part; rows that
    // hold such words compare the character steps only, and their words are under rules().
    QTest::addColumn<bool>("sameWords");

    QTest::newRow("words") << u"foo bar  baz"_qs << true;
    QTest::newRow("separators") << u"foo.bar,baz a...b (x) -y don't 3.14 a_b x\\y@z"_qs << true;
    QTest::newRow("spaces at both ends") << u"  lead trail  "_qs << true;
    QTest::newRow("other spaces") << u"a\tb\u00a0c\u2003d\u3000e"_qs << true;
    QTest::newRow("precomposed accents") << u"caf\u00e9 cr\u00e8me br\u00fbl\u00e9e"_qs << true;
    QTest::newRow("combining accents") << u"cafe\u0301 cre\u0300me e\u0301\u0302x"_qs << true;
    QTest::newRow("emoji sequences")
        << u"a\U0001F468\u200D\U0001F469\u200D\U0001F467b \U0001F44D\U0001F3FD ok"_qs << true;
    QTest::newRow("flags") << u"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA x\U0001F1EF\U0001F1F5"_qs
                           << true;
    QTest::newRow("Hebrew, Latin and digits")
        << u"abc \u05E9\u05DC\u05D5\u05DD 123 \u05D0x"_qs << true;
    QTest::newRow("Arabic and digits")
        << u"\u0645\u0631\u062D\u0628\u0627 42, \u0628\u0627!"_qs << true;
    QTest::newRow("CJK") << u"\u65E5\u672C\u8A9E\u306E abc"_qs << false;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("LF") << u"foo\n  bar\n\nbaz  \nq"_qs << true;
    QTest::newRow("CR LF") << u"foo\r\n  bar\r\n\r\nbaz  \r\nq"_qs << true;
    QTest::newRow("CR") << u"foo\r  bar\r\rbaz  \rq"_qs << true;
    QTest::newRow("mixed breaks") << u"\r\na\r\n\rb.\n\r\n c\n"_qs << true;
}

void tst_TextBoundaries::matchesTextCursor()
{
    QFETCH(QString, text);
    QFETCH(bool, sameWords);

    const PieceTree tree(text, 3);
    const TextCursorReference reference(text);
    const QList<Step> characterSteps{Step::NextCharacter, Step::PreviousCharacter};
    const QList<Step> allSteps =
        characterSteps + QList{Step::NextWord, Step::PreviousWord, Step::WordAt};
    for (const Step step : sameWords ? allSteps : characterSteps) {
        QList<QList<qsizetype>> box;
        QList<QList<qsizetype>> qt;
        for (const qsizetype offset : reference.textOffsets()) {
            box.append(boxStep(tree, step, offset));
            qt.append(referenceStep(reference, step, offset));
        }
        QCOMPARE(box, qt);
    }
}

// Where QTextCursor or Qt 6.4's finder answers otherwise, the rule.
void tst_TextBoundaries::rules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Step>("step");
    QTest::addColumn<qsizetype>("offset");
    QTest::addColumn<QList<qsizetype>>("expected");

    // QTextCursor stops inside the cluster of a space or separator and its accent (at 2).
    QTest::newRow("accented space, Ctrl+Right")
        << u"a \u0301b"_qs << Step::NextWord << qsizetype(0) << QList<qsizetype>{3};
    QTest::newRow("accented space, Ctrl+Left")
        << u"a \u0301b"_qs << Step::PreviousWord << qsizetype(4) << QList<qsizetype>{3};
    QTest::newRow("accented separator, Ctrl+Right")
        << u"x.\u0301y"_qs << Step::NextWord << qsizetype(1) << QList<qsizetype>{3};
    // Words that meet without a space part where Unicode's words do; QTextCursor crosses a
    // whole sentence of Thai or Chinese at once.
    QTest::newRow("Thai words")
        << u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35\u0E04\u0E23\u0E31\u0E1A"_qs << Step::NextWord
        << qsizetype(0) << QList<qsizetype>{6};
    QTest::newRow("Japanese words") << u"\u65E5\u672C\u8A9E\u306E abc"_qs << Step::NextWord
                                    << qsizetype(0) << QList<qsizetype>{3};
    QTest::newRow("Thai words, Ctrl+Left")
        << u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35\u0E04\u0E23\u0E31\u0E1A"_qs << Step::PreviousWord
        << qsizetype(10) << QList<qsizetype>{6};
    QTest::newRow("Japanese words, double-click")
        << u"\u65E5\u672C\u8A9E\u306E abc"_qs << Step::WordAt << qsizetype(1)
        << QList<qsizetype>{0, 3};
    // A document has no offset between a CR and its LF; there it counts as the line's end.
    QTest::newRow("inside CR LF, Right")
        << u"a\r\nb"_qs << Step::NextCharacter << qsizetype(2) << QList<qsizetype>{3};
    QTest::newRow("inside CR LF, Left")
        << u"a\r\nb"_qs << Step::PreviousCharacter << qsizetype(2) << QList<qsizetype>{1};
    QTest::newRow("inside CR LF, Ctrl+Right")
        << u"a\r\nb"_qs << Step::NextWord << qsizetype(2) << QList<qsizetype>{3};
    QTest::newRow("inside CR LF, Ctrl+Left")
        << u"a\r\nb"_qs << Step::PreviousWord << qsizetype(2) << QList<qsizetype>{0};
    QTest::newRow("inside CR LF, double-click")
        << u"a\r\nb"_qs << Step::WordAt << qsizetype(2) << QList<qsizetype>{0, 1};
    // Qt 6.4 finds a cluster boundary inside an emoji's surrogate pair after these scripts.
    QTest::newRow("emoji after Devanagari, Right")
        << u"\u0915\U0001F600"_qs << Step::NextCharacter << qsizetype(1) << QList<qsizetype>{3};
    QTest::newRow("emoji after Devanagari, Left")
        << u"\u0915\U0001F600"_qs << Step::PreviousCharacter << qsizetype(3) << QList<qsizetype>{1};
    QTest::newRow("emoji after Thai and a space, Right")
        << u"\u0E01 \U0001F44D"_qs << Step::NextCharacter << qsizetype(2) << QList<qsizetype>{4};
    QTest::newRow("emoji after Thai and a space, Left")
        << u"\u0E01 \U0001F44D"_qs << Step::PreviousCharacter << qsizetype(4)
        << QList<qsizetype>{2};
    // ...and after every unit of an emoji or a flag, and between CR and LF, in a line that holds
    // Thai or Devanagari.
    const QString thai = u"\u0E44\u0E17\u0E22 "_qs;
    QTest::newRow("Thai line, Backspace after an emoji with its skin tone")
        << thai + u"\U0001F44D\U0001F3FD"_qs << Step::PreviousCharacter << qsizetype(8)
        << QList<qsizetype>{4};
    QTest::newRow("Thai line, Right over a flag")
        << thai + u"\U0001F1E9\U0001F1EA"_qs << Step::NextCharacter << qsizetype(4)
        << QList<qsizetype>{8};
    QTest::newRow("Thai line, Right over CR LF")
        << thai + u"\r\nx"_qs << Step::NextCharacter << qsizetype(4) << QList<qsizetype>{6};
    // A word is one, however long; so is a cluster (letters joined by viramas make one, as in
    // Qt 6.4 and in ICU).
    const QString longWord(5000, u'x');
    QTest::newRow("word of 5,000 letters, Ctrl+Right")
        << longWord << Step::NextWord << qsizetype(0) << QList<qsizetype>{5000};
    QTest::newRow("word of 5,000 letters, Ctrl+Left")
        << longWord << Step::PreviousWord << qsizetype(5000) << QList<qsizetype>{0};
    QTest::newRow("word of 5,000 letters, double-click")
        << longWord << Step::WordAt << qsizetype(4100) << QList<qsizetype>{0, 5000};
    const QString conjuncts = u"\u0915\u094D"_qs.repeated(250);
    QTest::newRow("Devanagari conjuncts, start of a character")
        << conjuncts << Step::CharacterStart << qsizetype(1) << QList<qsizetype>{0};
    QTest::newRow("Devanagari conjuncts, end of a character")
        << conjuncts << Step::CharacterEnd << qsizetype(301) << QList<qsizetype>{500};
    QTest::newRow("emoji before Thai and Devanagari, start of a character")
        << u"\U0001F44D\U0001F3FD"_qs.repeated(125) + u"\u0E40\u093F\u0E40"_qs
        << Step::CharacterStart << qsizetype(372) << QList<qsizetype>{372};
    const QString flags = u"\U0001F1E9\U0001F1EA"_qs.repeated(40);
    QTest::newRow("between the halves of a flag, Right")
        << flags << Step::NextCharacter << qsizetype(130) << QList<qsizetype>{132};
    QTest::newRow("between the halves of a flag, start of a character")
        << flags << Step::CharacterStart << qsizetype(130) << QList<qsizetype>{128};
    QTest::newRow("between the halves of a flag, end of a character")
        << flags << Step::CharacterEnd << qsizetype(130) << QList<qsizetype>{132};
    QTest::newRow("before the text, end of a character")
        << u"ab"_qs << Step::CharacterEnd << qsizetype(-1) << QList<qsizetype>{0};
}

void tst_TextBoundaries::rules()
{
    QFETCH(QString, text);
    QFETCH(Step, step);
    QFETCH(qsizetype, offset);
    QFETCH(QList<qsizetype>, expected);

    QCOMPARE(boxStep(PieceTree(text), step, offset), expected);
}

// No step lands inside a surrogate pair or between CR and LF, from wherever it starts.
void tst_TextBoundaries::neverInsideACharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("Devanagari, emoji") << u"\u0915\U0001F600"_qs;
    QTest::newRow("Devanagari with a vowel sign, emoji") << u"\u0915\u093F\U0001F600x"_qs;
    QTest::newRow("Thai, space, emoji") << u"\u0E01 \U0001F44D"_qs;
    QTest::newRow("Khmer, emoji, emoji") << u"\u1780\U0001F600\U0001F600 a"_qs;
    QTest::newRow("Devanagari words, emoji, CR LF") << u"\u0915\u0916 \U0001F600.\r\n\U0001F600"_qs;
}

void tst_TextBoundaries::neverInsideACharacter()
{
    QFETCH(QString, text);
    const PieceTree tree(text, 2);
    const auto inside = [&text](qsizetype at) {
        return at > 0 && at < text.size() &&
               ((text[at - 1].isHighSurrogate() && text[at].isLowSurrogate()) ||
                (text[at - 1] == u'\r' && text[at] == u'\n'));
    };
    for (const Step step : {Step::NextCharacter, Step::PreviousCharacter, Step::NextWord,
                            Step::PreviousWord, Step::WordAt}) {
        for (qsizetype offset = 0; offset <= text.size(); ++offset) {
            for (const qsizetype landed : boxStep(tree, step, offset))
                QVERIFY2(!inside(landed), qPrintable(QStringLiteral("step %1 from %2 lands at %3")
                                                         .arg(int(step))
                                                         .arg(offset)
                                                         .arg(landed)));
        }
    }
}

void tst_TextBoundaries::codePointEdge_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("offset");
    QTest::addColumn<qsizetype>("forward");
    QTest::addColumn<qsizetype>("backward");
    QTest::newRow("between characters")
        << u"a\U0001F600"_qs << qsizetype(1) << qsizetype(1) << qsizetype(1);
    QTest::newRow("inside a surrogate pair")
        << u"a\U0001F600"_qs << qsizetype(2) << qsizetype(3) << qsizetype(1);
    QTest::newRow("inside CR LF") << u"a\r\nb"_qs << qsizetype(2) << qsizetype(3) << qsizetype(1);
    QTest::newRow("a lone low surrogate")
        << u"a"_qs + QChar(0xDE00) + u'b' << qsizetype(1) << qsizetype(1) << qsizetype(1);
    QTest::newRow("past the end") << u"ab"_qs << qsizetype(5) << qsizetype(2) << qsizetype(2);
}

void tst_TextBoundaries::codePointEdge()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, offset);
    QFETCH(qsizetype, forward);
    QFETCH(qsizetype, backward);
    const PieceTree tree(text);
    QCOMPARE(TextBoundaries::codePointEdge(tree, offset, true), forward);
    QCOMPARE(TextBoundaries::codePointEdge(tree, offset, false), backward);
}

QTEST_MAIN(tst_TextBoundaries)
#include "tst_TextBoundaries.moc"
