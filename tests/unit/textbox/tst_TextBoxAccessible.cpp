// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader reads of a text box and how it edits it, through Qt's accessibility
// interfaces. Where Qt's own plain text box answers rightly, the box answers the same.
#include "textbox/AccessibleTextItems.h"
#include "textbox/TextBox.h"
#include "textbox/TextBoxAccessible.h"

#include <QAccessible>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

using Type = QAccessible::TextBoundaryType;

struct ShownBox {
    TextBox box;
    explicit ShownBox(const QString &text, const QSize &size = QSize(300, 200))
    {
        box.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        box.resize(size);
        box.setPlainText(text);
        box.show();
    }
    QAccessibleTextInterface *text()
    {
        return QAccessible::queryAccessibleInterface(&box)->textInterface();
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
    if (start == -1 && end == -1 && found.isEmpty())
        return QStringLiteral("none");
    return QStringLiteral("%1-%2 %3").arg(start).arg(end).arg(found);
}

// Where a text changed, and what went and what came.
std::tuple<int, QString, QString> change(const QAccessibleEvent &event)
{
    switch (event.type()) {
    case QAccessible::TextInserted: {
        const auto &inserted = static_cast<const QAccessibleTextInsertEvent &>(event);
        return {inserted.changePosition(), {}, inserted.textInserted()};
    }
    case QAccessible::TextRemoved: {
        const auto &removed = static_cast<const QAccessibleTextRemoveEvent &>(event);
        return {removed.changePosition(), removed.textRemoved(), {}};
    }
    default:
        const auto &update = static_cast<const QAccessibleTextUpdateEvent &>(event);
        return {update.changePosition(), update.textRemoved(), update.textInserted()};
    }
}

} // namespace

class tst_TextBoxAccessible : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void describesTheBox();
    void agreesWithPlainTextEdit_data();
    void agreesWithPlainTextEdit();
    void items_data();
    void items();
    void rowsTileTheText();
    void longLinesComeInParts();
    void selectionAndCaret();
    void edits_data();
    void edits();
    void characterPlaces();
    void scrollsToSubstring();
    void changeEvents_data();
    void changeEvents();
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
    QVERIFY(!state.readOnly);
    QVERIFY(accessible->editableTextInterface());
    QCOMPARE(accessible->text(QAccessible::Value), QStringLiteral("one\ntwo"));
    QCOMPARE(accessible->textInterface()->text(0, -1), QStringLiteral("one\ntwo"));
    QCOMPARE(accessible->textInterface()->characterCount(), 7);

    shown.box.setReadOnly(true);
    shown.box.activateWindow();
    shown.box.setFocus();
    QTRY_VERIFY(accessible->state().focused);
    state = accessible->state();
    QVERIFY(state.readOnly && !state.editable);
}

void tst_TextBoxAccessible::agreesWithPlainTextEdit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("where");
    QTest::addColumn<int>("offset");
    const QString words = QStringLiteral("Hi, you. Ok\n\nab  cd");
    const QString clusters = QStringLiteral("e\u0301t\U0001F600!");
    const struct {
        QString text;
        Type type;
        const char *where;
        int offset;
    } rows[] = {
        {words, QAccessible::CharBoundary, "at", 0},
        {words, QAccessible::CharBoundary, "at", 11},
        {words, QAccessible::CharBoundary, "before", 1},
        {words, QAccessible::CharBoundary, "before", 13},
        {words, QAccessible::CharBoundary, "after", 17},
        {clusters, QAccessible::CharBoundary, "at", 0},
        {clusters, QAccessible::CharBoundary, "at", 3},
        {clusters, QAccessible::CharBoundary, "after", 0},
        {words, QAccessible::WordBoundary, "at", 0},
        {words, QAccessible::WordBoundary, "at", 5},
        {words, QAccessible::WordBoundary, "at", 10},
        {words, QAccessible::WordBoundary, "at", 14},
        {words, QAccessible::WordBoundary, "at", 19},
    };
    for (const auto &row : rows)
        QTest::addRow("%s %d at %d of \"%s\"", row.where, int(row.type), row.offset,
                      qPrintable(row.text))
            << row.text << int(row.type) << QByteArray(row.where) << row.offset;
}

void tst_TextBoxAccessible::agreesWithPlainTextEdit()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(QByteArray, where);
    QFETCH(int, offset);
    ShownBox shown(text);
    QPlainTextEdit plain(text);
    QCOMPARE(item(shown.text(), where, offset, Type(type)),
             item(QAccessible::queryAccessibleInterface(&plain)->textInterface(), where, offset,
                  Type(type)));
}

void tst_TextBoxAccessible::items_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("where");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("expected");
    // The box is wide enough for every line here to be one row.
    const QString text = QStringLiteral("Hi, you. Ok\r\n\nab  cd");
    const struct {
        QString text;
        Type type;
        const char *where;
        int offset;
        const char *expected;
    } rows[] = {
        // Qt's plain text box leaves out the space after the comma; its line edit does not.
        {text, QAccessible::WordBoundary, "at", 2, "2-4 , "},
        {text, QAccessible::WordBoundary, "before", 5, "2-4 , "},
        {text, QAccessible::WordBoundary, "after", 5, "7-9 . "},
        {text, QAccessible::WordBoundary, "at", 12, "11-14 \r\n\n"},
        {text, QAccessible::WordBoundary, "after", 19, "none"},
        {text, QAccessible::WordBoundary, "before", 2, "0-2 Hi"},
        {text, QAccessible::WordBoundary, "before", 1, "none"},
        {text, QAccessible::CharBoundary, "at", 12, "11-13 \r\n"},
        {text, QAccessible::CharBoundary, "at", 20, "20-20 "},
        {text, QAccessible::CharBoundary, "before", 20, "19-20 d"},
        {text, QAccessible::CharBoundary, "after", 19, "none"},
        {text, QAccessible::CharBoundary, "before", 0, "none"},
        {text, QAccessible::CharBoundary, "at", -1, "none"},
        {text, QAccessible::CharBoundary, "at", 21, "none"},
        {text, QAccessible::SentenceBoundary, "at", 4, "0-9 Hi, you. "},
        {text, QAccessible::SentenceBoundary, "after", 0, "9-13 Ok\r\n"},
        {text, QAccessible::ParagraphBoundary, "at", 12, "0-13 Hi, you. Ok\r\n"},
        {text, QAccessible::ParagraphBoundary, "after", 0, "13-14 \n"},
        {text, QAccessible::ParagraphBoundary, "before", 14, "13-14 \n"},
        {text, QAccessible::ParagraphBoundary, "at", 20, "14-20 ab  cd"},
        {text, QAccessible::ParagraphBoundary, "after", 14, "none"},
        {text, QAccessible::LineBoundary, "at", 3, "0-13 Hi, you. Ok\r\n"},
        {text, QAccessible::LineBoundary, "after", 12, "13-14 \n"},
        {text, QAccessible::NoBoundary, "at", 5, "0-20 Hi, you. Ok\r\n\nab  cd"},
        {text, QAccessible::NoBoundary, "after", 5, "none"},
        // A final line break opens an empty last line.
        {"ab\n", QAccessible::ParagraphBoundary, "after", 0, "3-3 "},
        {"ab\n", QAccessible::LineBoundary, "at", 3, "3-3 "},
        {"ab\n", QAccessible::LineBoundary, "before", 3, "0-3 ab\n"},
        {"", QAccessible::WordBoundary, "at", 0, "0-0 "},
        {"", QAccessible::LineBoundary, "at", 0, "0-0 "},
        {"", QAccessible::LineBoundary, "after", 0, "none"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s %d at %d of \"%s\"", row.where, int(row.type), row.offset,
                      qPrintable(row.text))
            << row.text << int(row.type) << QByteArray(row.where) << row.offset
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
    QCOMPARE(item(shown.text(), where, offset, Type(type)), expected);
}

// Row after row reads the whole text, each row starting where the box shows one start.
void tst_TextBoxAccessible::rowsTileTheText()
{
    const QString text = QStringLiteral("alpha beta gamma delta epsilon zeta eta theta\r\n\r\n"
                                        "iota kappa lambda mu nu xi omicron pi rho sigma");
    ShownBox shown(text, QSize(120, 300));
    QAccessibleTextInterface *const reader = shown.text();
    QString read;
    int rows = 0;
    int start = 0;
    int end = 0;
    QString row = reader->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
    while (start >= 0 && rows++ < 100) {
        QCOMPARE(shown.box.rowAt(start).first, start);
        read += row;
        int previousStart = 0;
        int previousEnd = 0;
        const int rowStart = start;
        row = reader->textAfterOffset(rowStart, QAccessible::LineBoundary, &start, &end);
        if (start >= 0) {
            reader->textBeforeOffset(start, QAccessible::LineBoundary, &previousStart,
                                     &previousEnd);
            QCOMPARE(previousStart, rowStart);
        }
    }
    QCOMPARE(read, text);
    QVERIFY2(rows > 4, "the lines should wrap");
}

void tst_TextBoxAccessible::longLinesComeInParts()
{
    const qsizetype part = accessibletextitems::LongestItem;
    ShownBox shown(QString(2 * part + 10, u'a') + QStringLiteral("\nb"));
    QList<std::pair<int, int>> lines;
    int start = 0;
    int end = 0;
    shown.text()->textAtOffset(5, QAccessible::ParagraphBoundary, &start, &end);
    while (start >= 0 && lines.size() < 10) {
        lines.append({start, end});
        shown.text()->textAfterOffset(start, QAccessible::ParagraphBoundary, &start, &end);
    }
    const int p = int(part);
    QCOMPARE(lines, (QList<std::pair<int, int>>{
                        {0, p}, {p, 2 * p}, {2 * p, 2 * p + 11}, {2 * p + 11, 2 * p + 12}}));
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
    QCOMPARE(std::make_pair(start, end), std::make_pair(4, 7));
    QCOMPARE(text->selectionCount(), 1);
    text->removeSelection(0);
    QVERIFY(!shown.box.hasSelection());
    QCOMPARE(text->selectionCount(), 0);
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
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("cursor");
    // "two" is selected from 4 to 7; the box's line end is CR LF.
    QTest::newRow("insert before") << 0 << 0 << "A " << false << "A one two three" << 6 << 9;
    QTest::newRow("insert at the caret") << 7 << 7 << "s" << false << "one twos three" << 4 << 8;
    QTest::newRow("insert a line") << 0 << 0 << "x\ny" << false << "x\r\nyone two three" << 8 << 11;
    QTest::newRow("delete before") << 0 << 4 << "" << false << "two three" << 0 << 3;
    QTest::newRow("delete across") << 5 << 9 << "" << false << "one three" << 4 << 5;
    QTest::newRow("replace") << 4 << 7 << "2" << false << "one 2 three" << 4 << 5;
    QTest::newRow("read-only") << 0 << 4 << "x" << true << "one two three" << 4 << 7;
}

void tst_TextBoxAccessible::edits()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, inserted);
    QFETCH(bool, readOnly);
    QFETCH(QString, expected);
    QFETCH(int, anchor);
    QFETCH(int, cursor);
    ShownBox shown(QStringLiteral("one two three"));
    shown.box.setLineEnd(QStringLiteral("\r\n"));
    shown.box.setSelection(4, 7);
    shown.box.setReadOnly(readOnly);
    QSignalSpy selectionChanges(&shown.box, &TextBox::selectionChanged);
    QAccessible::queryAccessibleInterface(&shown.box)
        ->editableTextInterface()
        ->replaceText(start, end, inserted);
    QCOMPARE(shown.box.toPlainText(), expected);
    QCOMPARE(std::make_pair(shown.box.anchorPosition(), shown.box.cursorPosition()),
             std::make_pair(qsizetype(anchor), qsizetype(cursor)));
    // A read-only box is left alone, its selection too.
    QCOMPARE(selectionChanges.isEmpty(), readOnly);
    shown.box.setReadOnly(false);
    shown.box.undo();
    QCOMPARE(shown.box.toPlainText(), QStringLiteral("one two three"));
}

void tst_TextBoxAccessible::characterPlaces()
{
    ShownBox shown(QStringLiteral("Hello\nworld"));
    QAccessibleTextInterface *const text = shown.text();
    const QRect e = text->characterRect(1);
    QVERIFY(e.width() >= 4);
    QCOMPARE(text->offsetAtPoint(QPoint(e.left() + 1, e.center().y())), 1);
    QVERIFY(text->characterRect(7).top() > e.bottom());
    QCOMPARE(text->offsetAtPoint(shown.box.mapToGlobal(QPoint(-50, -50))), -1);
}

void tst_TextBoxAccessible::scrollsToSubstring()
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("line %1\n").arg(i, 3, 10, QLatin1Char('0'));
    ShownBox shown(text, QSize(200, 100));
    const int offset = int(text.indexOf(QStringLiteral("line 150")));
    QVERIFY(shown.text()->characterRect(offset).isEmpty());
    shown.text()->scrollToSubstring(offset, offset + 8);
    QVERIFY(!shown.text()->characterRect(offset).isEmpty());
    QVERIFY(!shown.text()->characterRect(offset + 8).isEmpty());
}

void tst_TextBoxAccessible::changeEvents_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("inserted");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("removedText");
    QTest::addColumn<QString>("insertedText");
    const QString huge(EventTextLimit + 5, u'p');
    // Every change is at 1.
    QTest::newRow("typed") << "ab"
                           << "axb" << 0 << 1 << int(QAccessible::TextInserted) << ""
                           << "x";
    QTest::newRow("deleted") << "axb"
                             << "ab" << 1 << 0 << int(QAccessible::TextRemoved) << "x"
                             << "";
    QTest::newRow("replaced") << "abc"
                              << "aXYc" << 1 << 2 << int(QAccessible::TextUpdated) << "b"
                              << "XY";
    QTest::newRow("huge paste") << "ab"
                                << "a" + huge + "b" << 0 << int(huge.size())
                                << int(QAccessible::TextInserted) << ""
                                << huge.left(EventTextLimit);
    QTest::newRow("huge removal") << "a" + huge + "b"
                                  << "ab" << int(huge.size()) << 0 << int(QAccessible::TextRemoved)
                                  << huge.left(EventTextLimit) << "";
    QTest::newRow("nothing") << "ab"
                             << "ab" << 0 << 0 << int(QAccessible::InvalidEvent) << ""
                             << "";
}

void tst_TextBoxAccessible::changeEvents()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, removed);
    QFETCH(int, inserted);
    QFETCH(int, type);
    QFETCH(QString, removedText);
    QFETCH(QString, insertedText);
    TextBox box;
    box.setPlainText(after);
    const auto event = textChangeEvent(&box, 1, PieceTree(before), removed, inserted);
    if (type == QAccessible::InvalidEvent) {
        QVERIFY(!event);
        return;
    }
    QCOMPARE(int(event->type()), type);
    QCOMPARE(event->object(), &box);
    QCOMPARE(change(*event), std::make_tuple(1, removedText, insertedText));
}

QTEST_MAIN(tst_TextBoxAccessible)
#include "tst_TextBoxAccessible.moc"
