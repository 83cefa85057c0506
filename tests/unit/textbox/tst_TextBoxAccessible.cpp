// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader reads of a text box and how it edits it, through Qt's accessibility
// interfaces. Where Qt's own plain text box answers rightly, the box answers the same.
#include "textbox/AccessibleTextItems.h"
#include "textbox/TextBox.h"
#include "textbox/TextBoxAccessible.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

using Type = QAccessible::TextBoundaryType;
constexpr Type Char = QAccessible::CharBoundary, Word = QAccessible::WordBoundary,
               Sentence = QAccessible::SentenceBoundary, Line = QAccessible::LineBoundary,
               Paragraph = QAccessible::ParagraphBoundary, All = QAccessible::NoBoundary;

struct ShownBox {
    TextBox box;
    explicit ShownBox(const QString &text, const QSize &size = QSize(300, 200))
    {
        box.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        box.resize(size);
        box.setPlainText(text);
        box.show();
    }
    QAccessibleTextInterface *text() { return textOf(&box); }
    static QAccessibleTextInterface *textOf(QWidget *widget)
    {
        return QAccessible::queryAccessibleInterface(widget)->textInterface();
    }
};

// An item as "start-end text", or "none".
QString item(QAccessibleTextInterface *text, const QByteArray &where, int offset, Type type)
{
    int start = 0;
    int end = 0;
    const QString found = where == "at"       ? text->textAtOffset(offset, type, &start, &end)
                          : where == "before" ? text->textBeforeOffset(offset, type, &start, &end)
                                              : text->textAfterOffset(offset, type, &start, &end);
    return start == -1 ? QStringLiteral("none")
                       : QStringLiteral("%1-%2 %3").arg(start).arg(end).arg(found);
}

// A change as "position -removed +inserted".
QString change(const QAccessibleEvent &event)
{
    if (event.type() == QAccessible::TextInserted) {
        const auto &insert = static_cast<const QAccessibleTextInsertEvent &>(event);
        return QStringLiteral("%1 - +%2").arg(insert.changePosition()).arg(insert.textInserted());
    }
    if (event.type() == QAccessible::TextRemoved) {
        const auto &remove = static_cast<const QAccessibleTextRemoveEvent &>(event);
        return QStringLiteral("%1 -%2 +").arg(remove.changePosition()).arg(remove.textRemoved());
    }
    const auto &update = static_cast<const QAccessibleTextUpdateEvent &>(event);
    return QStringLiteral("%1 -%2 +%3")
        .arg(update.changePosition())
        .arg(update.textRemoved(), update.textInserted());
}

} // namespace

class tst_TextBoxAccessible : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void describesTheBox();
    void items_data();
    void items();
    void rowsTileTheText();
    void longLinesComeInParts();
    void selectionAndCaret();
    void edits_data();
    void edits();
    void editsTakeWholeCharacters_data();
    void editsTakeWholeCharacters();
    void placesOnScreen();
    void rightToLeftCharactersHaveTheirGlyphsExtents();
    void changeEvents_data();
    void changeEvents();
    void largeChangesComeInPieces();
    void undoAndRedoTellTheStep();
    void newTextDropsTheSelectionAloud();
};

void tst_TextBoxAccessible::initTestCase()
{
    // The box's constructor installs it too; a second time changes nothing.
    installTextBoxAccessibleFactory();
}

void tst_TextBoxAccessible::describesTheBox()
{
    ShownBox shown(QStringLiteral("one\ntwo"));
    QAccessibleInterface *const accessible = QAccessible::queryAccessibleInterface(&shown.box);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QAccessible::State state = accessible->state();
    QVERIFY(state.multiLine && state.editable && state.selectableText && state.focusable);
    QVERIFY(!state.readOnly && accessible->editableTextInterface());
    QCOMPARE(accessible->text(QAccessible::Value), QStringLiteral("one\ntwo"));
    QCOMPARE(shown.text()->text(0, -1), QStringLiteral("one\ntwo"));
    QCOMPARE(shown.text()->characterCount(), 7);

    shown.box.setReadOnly(true);
    state = accessible->state();
    QVERIFY(state.readOnly && !state.editable);
}

void tst_TextBoxAccessible::items_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("where");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("expected");
    // "qt": as QPlainTextEdit answers. The box is wide enough for each line to be one row.
    const char *const lf = "Hi, you. Ok\n\nab  cd";
    const char *const crlf = "Hi, you. Ok\r\n\nab  cd";
    const char *const clusters = "e\u0301t\U0001F600!";
    const struct {
        const char *text;
        Type type;
        const char *where;
        int offset;
        const char *expected;
    } rows[] = {
        {lf, Char, "at", 11, "qt"},
        {lf, Char, "before", 13, "qt"},
        {lf, Char, "after", 17, "qt"},
        {clusters, Char, "at", 0, "qt"},
        {clusters, Char, "at", 3, "qt"},
        // Qt 6.4 would cut these emoji in half after Devanagari and Thai letters.
        {"\u0915\U0001F600", Char, "at", 1, "1-3 \U0001F600"},
        {"\u0915\U0001F600", Char, "after", 0, "1-3 \U0001F600"},
        {"\u0E01 \U0001F44D", Char, "before", 4, "2-4 \U0001F44D"},
        {lf, Word, "at", 1, "qt"},
        {lf, Word, "at", 14, "qt"},
        {lf, Word, "at", 19, "qt"},
        // Qt's plain text box leaves out the space after the comma; its line edit does not.
        {crlf, Word, "at", 2, "2-4 , "},
        {crlf, Word, "before", 5, "2-4 , "},
        {crlf, Word, "after", 5, "7-9 . "},
        {crlf, Word, "at", 12, "11-13 \r\n"},
        // An empty line is a blank of its own, not the line breaks around it.
        {lf, Word, "at", 12, "qt"},
        {lf, Word, "before", 13, "qt"},
        {lf, Word, "at", 11, "11-12 \n"},
        {lf, Word, "before", 12, "11-12 \n"},
        {lf, Word, "after", 12, "13-15 ab"},
        {lf, Word, "after", 11, "12-12 "},
        {crlf, Word, "at", 13, "13-13 "},
        {"ab\n\n\ncd", Word, "at", 4, "qt"},
        {"ab\n\n", Word, "at", 3, "qt"},
        {"ab\n\n", Word, "at", 4, "qt"},
        {"ab\n\n", Word, "after", 3, "4-4 "},
        {"ab\n\n", Word, "after", 4, "none"},
        {"\nab", Word, "at", 0, "qt"},
        {"ab  \n  cd", Word, "at", 6, "5-7   "},
        {crlf, Word, "after", 19, "none"},
        {crlf, Char, "at", 12, "11-13 \r\n"},
        {crlf, Char, "at", 20, "20-20 "},
        {crlf, Char, "before", 20, "19-20 d"},
        {crlf, Char, "after", 19, "none"},
        {crlf, Char, "before", 0, "none"},
        {crlf, Char, "at", 21, "none"},
        {crlf, Sentence, "after", 0, "9-13 Ok\r\n"},
        {crlf, Paragraph, "at", 12, "0-13 Hi, you. Ok\r\n"},
        {crlf, Paragraph, "before", 14, "13-14 \n"},
        {crlf, Paragraph, "after", 14, "none"},
        {crlf, Line, "after", 12, "13-14 \n"},
        {crlf, All, "at", 5, "0-20 Hi, you. Ok\r\n\nab  cd"},
        {crlf, All, "after", 5, "none"},
        // A final line break opens an empty last line.
        {"ab\n", Line, "at", 3, "3-3 "},
        {"ab\n", Paragraph, "after", 0, "3-3 "},
        {"", Word, "at", 0, "0-0 "},
        {"", Line, "after", 0, "none"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s %d at %d of %s", row.where, int(row.type), row.offset,
                      QByteArray(row.text).toPercentEncoding().constData())
            << QString::fromUtf8(row.text) << int(row.type) << QByteArray(row.where) << row.offset
            << QString::fromUtf8(row.expected);
}

void tst_TextBoxAccessible::items()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(QByteArray, where);
    QFETCH(int, offset);
    QFETCH(QString, expected);
    ShownBox shown(text);
    QPlainTextEdit plain(text);
    if (expected == u"qt")
        expected = item(ShownBox::textOf(&plain), where, offset, Type(type));
    QCOMPARE(item(shown.text(), where, offset, Type(type)), expected);
}

// Row after row reads the whole text, each row starting where the box shows one start.
void tst_TextBoxAccessible::rowsTileTheText()
{
    const QString text = QStringLiteral("alpha beta gamma delta epsilon zeta eta theta\r\n\r\n"
                                        "iota kappa lambda mu nu xi omicron pi rho sigma");
    ShownBox shown(text, QSize(120, 300));
    QString read;
    int rows = 0;
    int start = 0;
    int end = 0;
    QString row = shown.text()->textAtOffset(0, Line, &start, &end);
    for (QString previous = QStringLiteral("none"); start >= 0 && rows++ < 100;) {
        QCOMPARE(shown.box.rowAt(start).first, start);
        QCOMPARE(item(shown.text(), "before", start, Line).section(u'-', 0, 0), previous);
        previous = QString::number(start);
        read += row;
        row = shown.text()->textAfterOffset(start, Line, &start, &end);
    }
    QCOMPARE(read, text);
    QVERIFY2(rows > 4, "the lines should wrap");
}

void tst_TextBoxAccessible::longLinesComeInParts()
{
    const int part = int(accessibletextitems::LongestItem);
    ShownBox shown(QString(2 * part + 10, u'a') + QStringLiteral("\nb"));
    QList<int> starts;
    int start = 0;
    int end = 0;
    shown.text()->textAtOffset(5, Paragraph, &start, &end);
    for (; start >= 0 && starts.size() < 10;
         shown.text()->textAfterOffset(start, Paragraph, &start, &end))
        starts << start;
    QCOMPARE(starts, (QList<int>{0, part, 2 * part, 2 * part + 11}));
}

void tst_TextBoxAccessible::selectionAndCaret()
{
    ShownBox shown(QStringLiteral("one two three"));
    QAccessibleTextInterface *const text = shown.text();
    text->setSelection(0, 4, 7);
    QCOMPARE(shown.box.selectedText(), QStringLiteral("two"));
    QCOMPARE(text->cursorPosition(), 7);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    QCOMPARE(QList<int>({text->selectionCount(), start, end}), QList<int>({1, 4, 7}));
    text->removeSelection(0);
    QVERIFY(!shown.box.hasSelection());
    text->setCursorPosition(2);
    QCOMPARE(shown.box.cursorPosition(), 2);
    text->addSelection(8, 13);
    QCOMPARE(shown.box.selectedText(), QStringLiteral("three"));
}

void tst_TextBoxAccessible::edits_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QList<qsizetype>>("selection");
    // "two" is selected from 4 to 7; the box's line end is CR LF.
    const struct {
        const char *name;
        int start, end;
        const char *inserted;
        bool readOnly;
        const char *expected;
        QList<qsizetype> selection;
    } rows[] = {
        {"insert at the caret", 7, 7, "s", false, "one twos three", {4, 8}},
        {"insert a line", 0, 0, "x\ny", false, "x\r\nyone two three", {8, 11}},
        {"delete across", 5, 9, "", false, "one three", {4, 5}},
        {"replace", 4, 7, "2", false, "one 2 three", {4, 5}},
        {"read-only", 0, 4, "x", true, "one two three", {4, 7}},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.start << row.end << QString::fromUtf8(row.inserted)
                                << row.readOnly << QString::fromUtf8(row.expected) << row.selection;
}

void tst_TextBoxAccessible::edits()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, inserted);
    QFETCH(bool, readOnly);
    QFETCH(QString, expected);
    QFETCH(QList<qsizetype>, selection);
    ShownBox shown(QStringLiteral("one two three"));
    shown.box.setLineEnd(QStringLiteral("\r\n"));
    shown.box.setSelection(4, 7);
    shown.box.setReadOnly(readOnly);
    QSignalSpy selectionChanges(&shown.box, &TextBox::selectionChanged);
    QAccessible::queryAccessibleInterface(&shown.box)
        ->editableTextInterface()
        ->replaceText(start, end, inserted);
    QCOMPARE(shown.box.toPlainText(), expected);
    QCOMPARE(QList<qsizetype>({shown.box.anchorPosition(), shown.box.cursorPosition()}), selection);
    // A read-only box is left alone, its selection too.
    QCOMPARE(selectionChanges.isEmpty(), readOnly);
    shown.box.setReadOnly(false);
    shown.box.undo();
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("one two three"));
}

void tst_TextBoxAccessible::editsTakeWholeCharacters_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("expected");
    // The text is "a", an emoji, CR LF and "b"; 2 and 4 fall inside the pair and the line end.
    QTest::newRow("insert inside the pair") << 2 << 2 << u"x"_qs << u"ax\U0001F600\r\nb"_qs;
    QTest::newRow("delete half the pair") << 2 << 3 << QString() << u"a\r\nb"_qs;
    QTest::newRow("delete from inside to inside") << 2 << 4 << QString() << u"ab"_qs;
    QTest::newRow("insert inside CR LF") << 4 << 4 << u"x"_qs << u"a\U0001F600x\r\nb"_qs;
}

// A screen reader's offsets may fall inside a character; the edit takes it whole.
void tst_TextBoxAccessible::editsTakeWholeCharacters()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, inserted);
    QFETCH(QString, expected);
    ShownBox shown(u"a\U0001F600\r\nb"_qs);
    QAccessible::queryAccessibleInterface(&shown.box)
        ->editableTextInterface()
        ->replaceText(start, end, inserted);
    QCOMPARE(shown.box.toPlainText(), expected);
}

void tst_TextBoxAccessible::placesOnScreen()
{
    QString text = QStringLiteral("Hello\nworld\n");
    for (int i = 0; i < 100; ++i)
        text += QStringLiteral("line %1\n").arg(i);
    ShownBox shown(text, QSize(200, 100));
    QAccessibleTextInterface *const reader = shown.text();
    const QRect e = reader->characterRect(1);
    QVERIFY(e.width() >= 4);
    QCOMPARE(reader->offsetAtPoint(QPoint(e.left() + 1, e.center().y())), 1);
    QVERIFY(reader->characterRect(7).top() > e.bottom());
    QCOMPARE(reader->offsetAtPoint(shown.box.mapToGlobal(QPoint(-50, -50))), -1);

    const int far = int(text.indexOf(QStringLiteral("line 90")));
    QVERIFY(reader->characterRect(far).isEmpty());
    reader->scrollToSubstring(far, far + 7);
    QVERIFY(!reader->characterRect(far).isEmpty() && !reader->characterRect(far + 7).isEmpty());
}

// Each character's box is its glyph's: as wide as its advance, side by side with its neighbours
// in the order they are drawn, across the change of direction too.
void tst_TextBoxAccessible::rightToLeftCharactersHaveTheirGlyphsExtents()
{
    const QString text = QStringLiteral("Hi \u05E9\u05DC\u05D5\u05DD x");
    ShownBox shown(text);
    QAccessibleTextInterface *const reader = shown.text();
    const QFontMetricsF metrics(shown.box.font());
    QList<int> rights;
    for (int offset = 0; offset < text.size(); ++offset) {
        const QRect rect = reader->characterRect(offset);
        QVERIFY2(qAbs(rect.width() - metrics.horizontalAdvance(text.at(offset))) <= 1,
                 qPrintable(QStringLiteral("%1 wide at %2").arg(rect.width()).arg(offset)));
        rights << rect.right();
    }
    // Drawn: "Hi ", then the Hebrew from its last letter to its first, then " x".
    const QList<int> drawn = {0, 1, 2, 6, 5, 4, 3, 7, 8};
    for (int i = 1; i < drawn.size(); ++i)
        QVERIFY(rights.at(drawn.at(i)) > rights.at(drawn.at(i - 1)));

    // On a wrapped line's later row, the box is on that row.
    ShownBox narrow(QStringLiteral("alpha beta gamma delta epsilon zeta"), QSize(80, 200));
    const int last = int(narrow.box.toPlainText().size()) - 1;
    const QRect caret = narrow.box.cursorRect(last);
    QVERIFY(caret.top() > narrow.box.cursorRect(0).top());
    const QRect rect = narrow.text()->characterRect(last);
    QCOMPARE(rect.top(), narrow.box.viewport()->mapToGlobal(caret.topLeft()).y());
}

void tst_TextBoxAccessible::changeEvents_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("inserted");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("expected");
    // Larger than any cap: the event carries the whole change, as the bridge takes its length
    // from the text.
    const QString huge(100 * 1024 + 5, u'p');
    // Every change is at 1.
    QTest::newRow("replaced") << "abc"
                              << "aXYc" << 1 << 2 << int(QAccessible::TextUpdated) << "1 -b +XY";
    QTest::newRow("huge paste") << "ab"
                                << "a" + huge + "b" << 0 << int(huge.size())
                                << int(QAccessible::TextInserted) << "1 - +" + huge;
    QTest::newRow("huge removal") << "a" + huge + "b"
                                  << "ab" << int(huge.size()) << 0 << int(QAccessible::TextRemoved)
                                  << "1 -" + huge + " +";
}

void tst_TextBoxAccessible::changeEvents()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, removed);
    QFETCH(int, inserted);
    QFETCH(int, type);
    QFETCH(QString, expected);
    TextBox box;
    box.setPlainText(after);
    const auto event = textChangeEvent(&box, 1, PieceTree(before), removed, inserted);
    QCOMPARE(int(event->type()), type);
    QCOMPARE(event->object(), &box);
    QCOMPARE(change(*event), expected);
    QVERIFY(!textChangeEvent(&box, 1, box.text(), 0, 0));
}

// Applied in turn to the old text, the pieces give the new one, and none is over the size or
// ends inside a surrogate pair.
void tst_TextBoxAccessible::largeChangesComeInPieces()
{
    const QString before = QStringLiteral("a012\U0001F6003456789b");
    const QString after = QStringLiteral("aXY\U0001F44DZWVUb");
    TextBox box;
    box.setPlainText(after);
    QString copy = before;
    QStringList pieces;
    sendTextChange(
        &box, 1, PieceTree(before), before.size() - 2, after.size() - 2,
        [&](QAccessibleTextCursorEvent &event) {
            QString text;
            if (event.type() == QAccessible::TextRemoved) {
                auto &remove = static_cast<QAccessibleTextRemoveEvent &>(event);
                text = remove.textRemoved();
                QCOMPARE(copy.mid(remove.changePosition(), text.size()), text);
                copy.remove(remove.changePosition(), text.size());
            } else {
                QCOMPARE(int(event.type()), int(QAccessible::TextInserted));
                auto &insert = static_cast<QAccessibleTextInsertEvent &>(event);
                text = insert.textInserted();
                copy.insert(insert.changePosition(), text);
            }
            pieces << text;
        },
        4);
    QCOMPARE(copy, after);
    QCOMPARE(pieces, (QStringList{QStringLiteral("012"), QStringLiteral("\U0001F60034"),
                                  QStringLiteral("5678"), QStringLiteral("9"),
                                  QStringLiteral("XY\U0001F44D"), QStringLiteral("ZWVU")}));
}

void tst_TextBoxAccessible::undoAndRedoTellTheStep()
{
    ShownBox shown{QString()};
    QTest::keyClicks(&shown.box, QStringLiteral("abc"));
    QTest::keyClick(&shown.box, Qt::Key_Return);
    QTest::keyClicks(&shown.box, QStringLiteral("def"));
    // The events the box sends as the document reports (offscreen, no screen reader listens).
    QStringList heard;
    connect(&shown.box.document(), &TextDocument::changed, this, [&](const TextChange &c) {
        heard << change(*textChangeEvent(&shown.box, c.position, shown.box.document().textBefore(),
                                         c.removed, c.inserted));
    });
    shown.box.undo();
    QCOMPARE(shown.box.cursorPosition(), 4);
    shown.box.undo();
    shown.box.redo();
    QCOMPARE(heard, QStringList({"4 -def +", "3 -\n +", "3 - +\n"}));
}

void tst_TextBoxAccessible::newTextDropsTheSelectionAloud()
{
    ShownBox shown(QStringLiteral("old text"));
    shown.box.selectAll();
    QSignalSpy selectionChanges(&shown.box, &TextBox::selectionChanged);
    QSignalSpy copyChanges(&shown.box, &TextBox::copyAvailable);
    shown.box.setPlainText(QStringLiteral("new"));
    // The accessible selection event follows selectionChanged.
    QCOMPARE(selectionChanges.size(), 1);
    QCOMPARE(copyChanges.size(), 1);
    QCOMPARE(copyChanges.first().first().toBool(), false);
}

QTEST_MAIN(tst_TextBoxAccessible)
#include "tst_TextBoxAccessible.moc"
