// SPDX-License-Identifier: GPL-3.0-or-later
// What the box does beyond an ordinary plain text box, and what the comparison with one cannot
// show: line ends kept as given, snapshots on the clipboard, drops, input methods and the view
// following the caret through long lines.
#include "textbox/TextBox.h"
#include "textbox/TextMimeData.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

namespace {

struct ShownBox {
    TextBox box;
    ShownBox(const QString &text, const QString &lineEnd = QStringLiteral("\n"))
    {
        box.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        box.resize(300, 200);
        box.setPlainText(text);
        box.setLineEnd(lineEnd);
        box.show();
        box.setFocus();
    }
};

} // namespace

class tst_TextBox : public QObject {
    Q_OBJECT
private slots:
    void keepsLineEnds_data();
    void keepsLineEnds();
    void clipboardKeepsWhatWasCopied();
    void smallCopiesKeepNoSnapshot();
    void dropInsertsAndSelects();
    void inputMethodComposesAndCommits();
    void inputMethodSeesAWindowOfALongLine();
    void outsidePositionsSnapToCharacters_data();
    void outsidePositionsSnapToCharacters();
    void readOnlyTakesNoEdits();
    void tabIsTypedNotAFocusMove();
    void wheelStopsAtTheLastRow();
    void doubleClickSelectsAWordTripleALine();
    void caretStaysInViewInALongLine();
    void editsNeverSplitACharacter_data();
    void editsNeverSplitACharacter();
    void pageIsTheSameAfterAnUndoneEdit();
    void pageFromTheStartOfAShortTextSelectsAll_data();
    void pageFromTheStartOfAShortTextSelectsAll();
};

void tst_TextBox::keepsLineEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lineEnd");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");
    // The caret starts at 0; the script is: End, Enter, paste.
    QTest::newRow("CR LF file") << "ab\r\ncd"
                                << "\r\n"
                                << "x\ny"
                                << "ab\r\nx\r\ny\r\ncd";
    QTest::newRow("LF file") << "ab\ncd"
                             << "\n"
                             << "x\r\ny\rz"
                             << "ab\nx\ny\nz\ncd";
    QTest::newRow("CR file") << "ab\rcd"
                             << "\r"
                             << "x\r\ny"
                             << "ab\rx\ry\rcd";
    QTest::newRow("mixed file keeps the others") << "ab\r\ncd\ref\n"
                                                 << "\r\n"
                                                 << ""
                                                 << "ab\r\n\r\ncd\ref\n";
}

void tst_TextBox::keepsLineEnds()
{
    QFETCH(QString, text);
    QFETCH(QString, lineEnd);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    ShownBox shown(text, lineEnd);
    QCOMPARE(shown.box.toPlainText(), text);
    QTest::keyClick(&shown.box, Qt::Key_End);
    QTest::keyClick(&shown.box, Qt::Key_Return);
    shown.box.insertText(pasted);
    QCOMPARE(shown.box.toPlainText(), expected);
    // A line end is one step for the caret, whatever its length.
    shown.box.setCursorPosition(2);
    QTest::keyClick(&shown.box, Qt::Key_Right);
    QCOMPARE(shown.box.cursorPosition(), 2 + lineEnd.size());
    QTest::keyClick(&shown.box, Qt::Key_Left);
    QCOMPARE(shown.box.cursorPosition(), 2);
}

void tst_TextBox::clipboardKeepsWhatWasCopied()
{
    ShownBox shown(QStringLiteral("copy me"));
    shown.box.selectAll();
    shown.box.copy();
    QTest::keyClicks(&shown.box, QStringLiteral("typed over"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copy me"));
    shown.box.paste();
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("typed overcopy me"));
}

// A copied word is copied out; only a large selection keeps a snapshot of the text, copied out
// when some program asks.
void tst_TextBox::smallCopiesKeepNoSnapshot()
{
    ShownBox shown(QString(CopiedAtOnceLimit + 10, u'a') + QStringLiteral(" word"));
    const qsizetype length = shown.box.toPlainText().size();
    shown.box.setSelection(length - 4, length);
    shown.box.copy();
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied && !qobject_cast<const TextMimeData *>(copied));
    QCOMPARE(copied->text(), QStringLiteral("word"));
    shown.box.selectAll();
    shown.box.copy();
    QVERIFY(qobject_cast<const TextMimeData *>(QGuiApplication::clipboard()->mimeData()));
}

void tst_TextBox::dropInsertsAndSelects()
{
    ShownBox shown(QStringLiteral("ab"));
    QMimeData mime;
    mime.setText(QStringLiteral("x\r\ny"));
    const QPoint end = shown.box.cursorRect(2).center() + QPoint(20, 0);
    QDragEnterEvent enter(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(shown.box.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(shown.box.viewport(), &drop);
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("abx\ny"));
    QCOMPARE(shown.box.selectedText(), QStringLiteral("x\ny"));
    shown.box.undo();
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("ab"));
}

void tst_TextBox::inputMethodComposesAndCommits()
{
    ShownBox shown(QStringLiteral("ab"));
    shown.box.setCursorPosition(1);
    const QRect before = shown.box.cursorRect();
    QInputMethodEvent compose(QStringLiteral("\u3042\u3044"), {});
    QApplication::sendEvent(&shown.box, &compose);
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("ab")); // not in the text until committed
    QVERIFY(shown.box.cursorRect().x() > before.x());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\U0001F600"), -1, 1); // replaces the 'a' before it
    QApplication::sendEvent(&shown.box, &commit);
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("\U0001F600b"));
    QCOMPARE(shown.box.cursorPosition(), 2);
    QCOMPARE(shown.box.inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
}

void tst_TextBox::inputMethodSeesAWindowOfALongLine()
{
    const QString line(1 << 20, u'x');
    ShownBox shown(line);
    shown.box.setCursorPosition(line.size() / 2);
    const QString around = shown.box.inputMethodQuery(Qt::ImSurroundingText).toString();
    const int cursor = shown.box.inputMethodQuery(Qt::ImCursorPosition).toInt();
    QVERIFY(around.size() < 10000);
    QVERIFY(cursor > 0 && cursor < around.size());
    QCOMPARE(shown.box.inputMethodQuery(Qt::ImAbsolutePosition).toLongLong(), line.size() / 2);
}

void tst_TextBox::outsidePositionsSnapToCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("typed");
    QTest::newRow("screen reader, inside CR LF")
        << "ab\r\ncd" << QByteArray("accessible") << 3 << "abX\r\ncd";
    QTest::newRow("caller, inside a surrogate pair")
        << "a\U0001F600b" << QByteArray("caret") << 2 << "aX\U0001F600b";
    QTest::newRow("selection widens over a cluster")
        << "xe\u0301y" << QByteArray("selection") << 2 << "Xy";
    QTest::newRow("input method selection, inside CR LF")
        << "ab\r\ncd" << QByteArray("input method") << 3 << "abX\r\ncd";
}

// The caret and the selection set from outside never split a character, and typing there cannot.
void tst_TextBox::outsidePositionsSnapToCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, from);
    QFETCH(int, position);
    QFETCH(QString, typed);
    ShownBox shown(text);
    if (from == "accessible") {
        QAccessible::queryAccessibleInterface(&shown.box)
            ->textInterface()
            ->setCursorPosition(position);
    } else if (from == "caret") {
        shown.box.setCursorPosition(position);
    } else if (from == "selection") {
        shown.box.setSelection(0, position);
    } else {
        const QList<QInputMethodEvent::Attribute> attributes = {
            {QInputMethodEvent::Selection, position, 0}};
        QInputMethodEvent select(QString(), attributes);
        QApplication::sendEvent(&shown.box, &select);
    }
    QTest::keyClicks(&shown.box, QStringLiteral("X"));
    QCOMPARE(shown.box.toPlainText(), typed);
}

void tst_TextBox::readOnlyTakesNoEdits()
{
    ShownBox shown(QStringLiteral("fixed"));
    shown.box.setReadOnly(true);
    QTest::keyClicks(&shown.box, QStringLiteral("x"));
    QTest::keyClick(&shown.box, Qt::Key_Backspace);
    shown.box.insertText(QStringLiteral("y"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("z"));
    QApplication::sendEvent(&shown.box, &commit);
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("fixed"));
}

void tst_TextBox::tabIsTypedNotAFocusMove()
{
    QWidget window;
    auto *box = new TextBox(&window);
    auto *next = new TextBox(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(box->toPlainText(), QStringLiteral("\t"));
    QVERIFY(box->hasFocus());
    box->setReadOnly(true);
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(next->hasFocus());
}

void tst_TextBox::wheelStopsAtTheLastRow()
{
    ShownBox shown(QStringLiteral("one\ntwo\nthree"));
    const QRect first = shown.box.cursorRect(0);
    QWheelEvent down(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(shown.box.viewport(), &down);
    QCOMPARE(shown.box.cursorRect(0), first); // it all fits: nothing to scroll
    ShownBox tall(QStringLiteral("row\n").repeated(100));
    QApplication::sendEvent(tall.box.viewport(), &down);
    QVERIFY(tall.box.cursorRect(0).isEmpty()); // scrolled off the top
}

void tst_TextBox::doubleClickSelectsAWordTripleALine()
{
    ShownBox shown(QStringLiteral("first line\r\nsecond words here"));
    QWidget *view = shown.box.viewport();
    const QPoint inSecond = shown.box.cursorRect(14).center();
    QTest::mouseDClick(view, Qt::LeftButton, {}, inSecond);
    QCOMPARE(shown.box.selectedText(), QStringLiteral("second"));
    QTest::mouseClick(view, Qt::LeftButton, {}, inSecond);
    QCOMPARE(shown.box.selectedText(), QStringLiteral("second words here"));
    // A line with a line break after it takes it along.
    const QPoint inFirst = shown.box.cursorRect(2).center();
    QTest::mouseDClick(view, Qt::LeftButton, {}, inFirst);
    QTest::mouseClick(view, Qt::LeftButton, {}, inFirst);
    QCOMPARE(shown.box.selectedText(), QStringLiteral("first line\r\n"));
}

void tst_TextBox::caretStaysInViewInALongLine()
{
    const QString line = QString(QStringLiteral("lorem ipsum dolor ")).repeated(60000);
    ShownBox shown(QStringLiteral("first\n") + line);
    const QRect view = shown.box.viewport()->rect();
    QTest::keyClick(&shown.box, Qt::Key_End, Qt::ControlModifier);
    QVERIFY(view.contains(shown.box.cursorRect()));
    // The rows shown first are approximate; once the line's rows are known they settle, and the
    // caret is still on screen, at the end of the last row.
    QTRY_VERIFY(view.contains(shown.box.cursorRect()));
    QTest::keyClick(&shown.box, Qt::Key_A);
    QVERIFY(view.contains(shown.box.cursorRect()));
    QCOMPARE(shown.box.positionAt(shown.box.cursorRect().center()), shown.box.cursorPosition());
    QTest::keyClick(&shown.box, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(shown.box.cursorRect().topLeft(), QPoint(4, 4));
}

// Qt's own layout steps into an emoji's surrogate pair after Devanagari or Thai letters; the caret
// must not stop there, or the next edit would leave half a character in the text.
void tst_TextBox::editsNeverSplitACharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("caret");
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<QString>("expected");
    const QString devanagari = QStringLiteral("\u0915\U0001F600");
    const QString thai = QStringLiteral("\u0E01 \U0001F44D");
    const QKeyCombination right(Qt::Key_Right);
    const QKeyCombination left(Qt::Key_Left);
    const QKeyCombination backspace(Qt::Key_Backspace);
    const QKeyCombination del(Qt::Key_Delete);
    const QKeyCombination wordBackspace(Qt::ControlModifier | Qt::Key_Backspace);
    QTest::newRow("Backspace after Devanagari")
        << devanagari << qsizetype(3) << QList{backspace} << QStringLiteral("\u0915");
    QTest::newRow("Right, then Backspace")
        << devanagari << qsizetype(1) << QList{right, backspace} << QStringLiteral("\u0915");
    QTest::newRow("Left, then Delete")
        << devanagari << qsizetype(3) << QList{left, del} << QStringLiteral("\u0915");
    QTest::newRow("Right, then typing")
        << devanagari << qsizetype(1) << QList{right, QKeyCombination(Qt::Key_X)}
        << QStringLiteral("\u0915\U0001F600x");
    QTest::newRow("Thai: Right, then Backspace")
        << thai << qsizetype(2) << QList{right, backspace} << QStringLiteral("\u0E01 ");
    QTest::newRow("Thai: Right over a flag, then Backspace")
        << QStringLiteral("\u0E44\u0E17\u0E22 \U0001F1E9\U0001F1EAx") << qsizetype(4)
        << QList{right, backspace} << QStringLiteral("\u0E44\u0E17\u0E22 x");
    QTest::newRow("a word deleted back") << devanagari + QStringLiteral(" a") << qsizetype(3)
                                         << QList{wordBackspace} << QStringLiteral(" a");
    // A caret placed from outside goes to the start of the character it falls in.
    QTest::newRow("a caret placed inside the pair")
        << devanagari << qsizetype(2) << QList{backspace} << QStringLiteral("\U0001F600");
}

void tst_TextBox::editsNeverSplitACharacter()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, caret);
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, expected);
    ShownBox shown(text);
    shown.box.setCursorPosition(caret);
    for (const QKeyCombination key : keys)
        QTest::keyClick(&shown.box, key.key(), key.keyboardModifiers());
    QCOMPARE(shown.box.toPlainText(), expected);
}

// Undoing an Enter at the end leaves the view scrolled one row past the text's end; a page is
// still the rows that fit on screen, not the rows of text that happen to be shown.
void tst_TextBox::pageIsTheSameAfterAnUndoneEdit()
{
    QStringList lines;
    for (int i = 1; i <= 164; ++i)
        lines << QStringLiteral("line %1 of the pasted text").arg(i);
    QList<qsizetype> carets;
    for (const bool enterUndone : {false, true}) {
        ShownBox shown{QString()};
        QGuiApplication::clipboard()->setText(lines.join(u'\n'));
        QTest::keyClick(&shown.box, Qt::Key_V, Qt::ControlModifier);
        if (enterUndone) {
            QTest::keyClick(&shown.box, Qt::Key_Return);
            QTest::keyClick(&shown.box, Qt::Key_Z, Qt::ControlModifier);
        }
        for (int page = 0; page < 2; ++page) {
            QTest::keyClick(&shown.box, Qt::Key_PageUp);
            carets << shown.box.cursorPosition();
        }
    }
    QCOMPARE(carets.mid(2), carets.first(2));
}

void tst_TextBox::pageFromTheStartOfAShortTextSelectsAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("left to right") << QStringLiteral("one two\nthree four five");
    QTest::newRow("right to left") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD 123 abc\n"
                                                     "\u0645\u0631\u062D\u0628\u0627 \u05DB\u05DF");
}

// Less than a page of text: Shift+Page Down goes a page of rows on, past the last, to the end.
void tst_TextBox::pageFromTheStartOfAShortTextSelectsAll()
{
    QFETCH(QString, text);
    ShownBox shown(text);
    QTest::keyClick(&shown.box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&shown.box, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&shown.box, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&shown.box, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(shown.box.anchorPosition(), 0);
    QCOMPARE(shown.box.cursorPosition(), text.size());
}

QTEST_MAIN(tst_TextBox)
#include "tst_TextBox.moc"
