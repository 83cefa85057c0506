// SPDX-License-Identifier: GPL-3.0-or-later
// The box driven by an input method as IBus drives it: a platform input context of the test's own
// sends the preedit, the commit and the selection, and commits when the application asks it to.
#include "textbox/TextBox.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <private/qinputmethod_p.h>
#include <qpa/qplatforminputcontext.h>

namespace {

// Composes text and sends it to the focus object; commit() hands over what is composed.
class ComposingContext : public QPlatformInputContext {
public:
    bool isValid() const override { return true; }

    void commit() override
    {
        if (m_preedit.isEmpty())
            return;
        QInputMethodEvent event;
        event.setCommitString(std::exchange(m_preedit, QString()));
        send(event);
    }
    void reset() override { m_preedit.clear(); }

    void compose(const QString &preedit)
    {
        m_preedit = preedit;
        QInputMethodEvent event(preedit, {{QInputMethodEvent::Cursor, int(preedit.size()), 1}});
        send(event);
    }
    // Selects length units before the caret, counted in the surrounding text it was told of.
    void selectBeforeCaret(int length)
    {
        QObject *focus = QGuiApplication::focusObject();
        QInputMethodQueryEvent query(Qt::ImCursorPosition | Qt::ImSurroundingText);
        QCoreApplication::sendEvent(focus, &query);
        const int cursor = query.value(Qt::ImCursorPosition).toInt();
        QInputMethodEvent event(QString(),
                                {{QInputMethodEvent::Selection, cursor - length, length}});
        send(event);
    }

private:
    static void send(QInputMethodEvent &event)
    {
        if (QObject *focus = QGuiApplication::focusObject())
            QCoreApplication::sendEvent(focus, &event);
    }

    QString m_preedit;
};

struct FocusedBox {
    TextBox box;
    explicit FocusedBox(const QString &text)
    {
        box.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        box.resize(300, 200);
        box.setPlainText(text);
        box.show();
        box.activateWindow();
        box.setFocus();
    }
};

} // namespace

class tst_TextBoxInputMethod : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void caretMovesCommitTheComposition_data();
    void caretMovesCommitTheComposition();
    void composingOverASelectionRemovesIt();
    void selectionIsInTheSurroundingText();

private:
    ComposingContext m_context;
};

void tst_TextBoxInputMethod::init()
{
    m_context.reset();
    QInputMethodPrivate::get(QGuiApplication::inputMethod())->testContext = &m_context;
}

void tst_TextBoxInputMethod::cleanup()
{
    QInputMethodPrivate::get(QGuiApplication::inputMethod())->testContext = nullptr;
}

void tst_TextBoxInputMethod::caretMovesCommitTheComposition_data()
{
    QTest::addColumn<QByteArray>("move");
    QTest::addColumn<QString>("expected");
    // "abc" with the caret after the "a", where "ô" is composed; then the move, and "x" typed.
    QTest::newRow("click at the start") << QByteArray("click") << "xaôbc";
    QTest::newRow("screen reader to the end") << QByteArray("accessible") << "aôbcx";
}

void tst_TextBoxInputMethod::caretMovesCommitTheComposition()
{
    QFETCH(QByteArray, move);
    QFETCH(QString, expected);
    FocusedBox focused(QStringLiteral("abc"));
    TextBox &box = focused.box;
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.setCursorPosition(1);
    m_context.compose(QStringLiteral("\u00F4"));
    QCOMPARE(box.toPlainText(), QStringLiteral("abc"));
    if (move == "click") {
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, box.cursorRect(0).center());
    } else {
        // Offset 3, the end of the text the screen reader knows, is after the committed "ô".
        QAccessible::queryAccessibleInterface(&box)->textInterface()->setCursorPosition(3);
    }
    QTest::keyClicks(&box, QStringLiteral("x"));
    QCOMPARE(box.toPlainText(), expected);
}

void tst_TextBoxInputMethod::composingOverASelectionRemovesIt()
{
    FocusedBox focused(QStringLiteral("hello world"));
    TextBox &box = focused.box;
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.setSelection(6, 11);
    m_context.compose(QStringLiteral("w"));
    QCOMPARE(box.toPlainText(), QStringLiteral("hello "));
    QVERIFY(!box.hasSelection());
    m_context.compose(QStringLiteral("wo"));
    m_context.commit();
    QCOMPARE(box.toPlainText(), QStringLiteral("hello wo"));
}

// Far into a line the surrounding text starts before the caret, and the input method's offsets
// count from there.
void tst_TextBoxInputMethod::selectionIsInTheSurroundingText()
{
    FocusedBox focused(QString(3000, u'x'));
    TextBox &box = focused.box;
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.setCursorPosition(2000);
    m_context.selectBeforeCaret(5);
    QCOMPARE(box.selectionStart(), 1995);
    QCOMPARE(box.selectionEnd(), 2000);
}

QTEST_MAIN(tst_TextBoxInputMethod)
#include "tst_TextBoxInputMethod.moc"
