// SPDX-License-Identifier: GPL-3.0-or-later
// The steps and carets below are those QPlainTextEdit showed for the same edits.
#include "text/UndoHistory.h"

#include <QtTest>

namespace {

// Edits a text as a text box would, recording each edit. Commands: text:T (a new text), type:T,
// enter, bs, del, at:N, select:ANCHOR,CURSOR, paste:T, ime:T, cut, drop:FROM,COUNT,TO, close,
// undo and redo. Undo and redo answer the text shown, with | at the caret and [ at the anchor,
// or - when there was nothing to undo or redo.
class Editor {
public:
    QString run(const QString &command)
    {
        const QString name = command.section(u':', 0, 0);
        const QString arg = command.section(u':', 1);
        const QStringList numbers = arg.split(u',');
        const qsizetype start = std::min(m_state.cursor, m_state.anchor);
        const qsizetype selected = std::max(m_state.cursor, m_state.anchor) - start;
        if (name == u"text") {
            m_state = {PieceTree(arg)};
            m_history.clear();
        } else if (name == u"type" || name == u"enter") {
            for (const QChar c : name == u"enter" ? QStringLiteral("\n") : arg)
                replaceSelection(EditKind::Typing, c);
        } else if (name == u"paste" || name == u"ime" || name == u"cut") {
            replaceSelection(EditKind::Other, arg);
        } else if (name == u"bs") {
            edit(EditKind::Backspace, selected ? start : start - 1, selected ? selected : 1, {});
        } else if (name == u"del") {
            edit(EditKind::Delete, start, selected ? selected : 1, {});
        } else if (name == u"at" || name == u"select") {
            m_state.anchor = numbers.first().toLongLong();
            m_state.cursor = numbers.last().toLongLong();
        } else if (name == u"drop") {
            drop(numbers[0].toLongLong(), numbers[1].toLongLong(), numbers[2].toLongLong());
        } else if (name == u"close") {
            m_history.closeStep();
        } else if (name == u"undo") {
            return m_history.canUndo() ? show(m_state = m_history.undo()) : QStringLiteral("-");
        } else if (name == u"redo") {
            return m_history.canRedo() ? show(m_state = m_history.redo()) : QStringLiteral("-");
        }
        return {};
    }

private:
    void replaceSelection(EditKind kind, const QString &text)
    {
        const qsizetype start = std::min(m_state.cursor, m_state.anchor);
        edit(kind, start, std::max(m_state.cursor, m_state.anchor) - start, text);
    }

    void edit(EditKind kind, qsizetype position, qsizetype removed, const QString &text)
    {
        const TextState before = m_state;
        const qsizetype caret = position + text.size();
        m_state = {before.text.removed(position, removed).inserted(position, text), caret, caret};
        m_history.record(before, m_state, kind, position, removed, text.size());
    }

    void drop(qsizetype from, qsizetype count, qsizetype to)
    {
        const TextState before = m_state;
        const qsizetype landing = to > from ? to - count : to;
        const PieceTree text =
            before.text.removed(from, count).inserted(landing, before.text.text(from, count));
        m_state = {text, landing + count, landing + count};
        m_history.recordMove(before, m_state, from, count, to);
    }

    static QString show(const TextState &state)
    {
        QString shown = state.text.toString();
        shown.insert(state.cursor, u'|');
        if (state.anchor != state.cursor)
            shown.insert(state.anchor + (state.anchor > state.cursor ? 1 : 0), u'[');
        return shown;
    }

    TextState m_state;
    UndoHistory m_history;
};

} // namespace

class tst_UndoHistory : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
};

void tst_UndoHistory::steps_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("typing with spaces and tabs") << "type:a b\tc;undo;redo" << "|;a b\tc|";
    QTest::newRow("Enter is a step") << "type:ab;enter;type:cd;undo;undo;undo;redo" << "ab\n|;ab|;|;ab|";
    QTest::newRow("moving away and back") << "type:abc;at:1;at:3;type:d;undo;undo" << "|;-";
    QTest::newRow("typing elsewhere") << "type:abc;at:2;type:X;undo;undo;redo" << "ab|c;|;abc|";
    QTest::newRow("Backspace run") << "type:hello;bs;bs;undo;undo;redo;redo" << "hello|;|;hello|;hel|";
    QTest::newRow("Delete run") << "text:hello world;at:2;del;del;del;undo;redo" << "hello| world;he| world";
    QTest::newRow("Backspace then Delete") << "text:hello world;at:5;bs;del;undo;undo" << "hello |world;-";
    QTest::newRow("removed line break") << "text:ab\ncd;at:5;bs;bs;bs;bs;undo;undo;undo;redo" << "ab|;ab\n|;ab\ncd|;ab\n|";
    QTest::newRow("removing elsewhere") << "text:hello world;at:11;bs;at:5;bs;undo;undo" << "hello| worl;hello world|";
    QTest::newRow("typing over a selection") << "type:abc def;select:4,7;type:XY;undo;undo" << "abc def|;|";
    QTest::newRow("typing over a backward selection") << "text:hello world;select:5,0;type:HEY;undo;redo" << "hello| world;HEY| world";
    QTest::newRow("paste") << "type:ab;paste:XYZ;type:cd;undo;undo" << "ab|;|";
    QTest::newRow("paste ending with a line break") << "paste:ab\n;type:cd;undo;undo" << "ab\n|;|";
    QTest::newRow("Backspace over a selection") << "text:hello world;select:3,6;bs;bs;undo;undo;redo" << "hel|world;hello |world;hel|world";
    QTest::newRow("input method commits") << "type:ab;ime:XY;ime:ZW;type:c;undo;undo;undo" << "abXY|;ab|;|";
    QTest::newRow("drop before the text") << "text:hello big world;drop:10,5,0;undo;redo" << "|hello big world;world|hello big ";
    QTest::newRow("typing after a drop") << "text:hello big world;drop:0,6,13;type:xy;undo;redo" << "hello big wor|ld;big worhello xy|ld";
    QTest::newRow("typing after undoing a removal") << "type:abc;bs;undo;type:d;undo" << "abc|;|";
    QTest::newRow("typing after undoing an insertion") << "type:abc;enter;undo;type:d;undo;undo" << "abc|;abc|;|";
    QTest::newRow("typing after undo and redo") << "type:abc;undo;redo;type:d;undo;undo" << "|;abc|;|;-";
    QTest::newRow("closed step") << "type:ab;close;type:cd;undo" << "ab|";
    QTest::newRow("Enter on empty lines") << "enter;enter;type:ab;undo;undo;undo;undo;undo;undo" << "\n\n|;\n|;\n|;|;|;-";
    QTest::newRow("Enter on empty lines after a letter") << "type:x;enter;enter;type:ab;undo;undo;undo;undo;undo" << "x\n\n|;x\n|;x\n|;x|;|";
    QTest::newRow("Enter on an empty line between lines") << "text:abc\n\ndef;at:4;enter;undo;at:0;undo;at:0;redo;redo" << "abc\n|\ndef;abc\n\n|def;abc\n\n|def;abc\n\n|\ndef";
    QTest::newRow("Enter on an empty line between CR LF lines") << "text:ab\r\n\r\ncd;at:4;enter;undo;undo" << "ab\r\n|\r\ncd;ab\r\n\r\n|cd";
    QTest::newRow("Enter over a selection") << "text:abc;select:0,3;enter;undo;undo" << "abc|;-";
    QTest::newRow("Enter over a selection ending on an empty line") << "text:ab\n\n;select:1,4;enter;undo;undo;undo;undo" << "ab\n\n|;ab|\n\n;ab\n\n|;-";
    QTest::newRow("Enter over a selection from a line's end") << "text:x\n\n;select:1,3;enter;undo;undo;undo" << "x\n\n|;x\n|\n;x\n\n|";
    QTest::newRow("an edit forgets the redo") << "type:ab;enter;undo;type:c;redo" << "ab|;-";
    // clang-format on
}

void tst_UndoHistory::steps()
{
    QFETCH(QString, script);
    QFETCH(QString, shown);
    Editor editor;
    QStringList answers;
    for (const QString &command : script.split(u';')) {
        const QString answer = editor.run(command);
        if (!answer.isNull())
            answers << answer;
    }
    QCOMPARE(answers, shown.split(u';'));
}

QTEST_GUILESS_MAIN(tst_UndoHistory)
#include "tst_UndoHistory.moc"
