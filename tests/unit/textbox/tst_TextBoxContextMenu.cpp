// SPDX-License-Identifier: GPL-3.0-or-later
// The box's context menu has the entries of Qt's plain text box in every state, and each does
// what it says.
#include "textbox/TextBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

namespace {

// Says which context a text was looked up in, to show that the box's menu is translated as
// Qt's own.
class ContextTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *text, const char *, int) const override
    {
        return QStringLiteral("%1/%2").arg(QLatin1String(context), QLatin1String(text));
    }
};

// An icon theme with an icon for each of the names in Qt's text box menus.
void installIconTheme(const QString &folder)
{
    QDir(folder).mkpath(QStringLiteral("test/16x16"));
    QFile index(folder + QStringLiteral("/test/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=test\nDirectories=16x16\n[16x16]\nSize=16\n");
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    for (const char *name : {"edit-undo", "edit-redo", "edit-cut", "edit-copy", "edit-paste",
                             "edit-delete", "edit-select-all"})
        QVERIFY(image.save(QStringLiteral("%1/test/16x16/%2.png").arg(folder, name)));
    QIcon::setThemeSearchPaths({folder});
    QIcon::setThemeName(QStringLiteral("test"));
}

QStringList entries(QMenu *menu)
{
    QStringList entries;
    for (const QAction *action : menu->actions())
        entries << (action->isSeparator()
                        ? QStringLiteral("----")
                        : QStringLiteral("%1 %2 %3 %4")
                              .arg(action->text(), action->objectName(), action->icon().name())
                              .arg(action->isEnabled()));
    delete menu;
    return entries;
}

} // namespace

class tst_TextBoxContextMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void matchesPlainTextEdit_data();
    void matchesPlainTextEdit();
    void entriesAct_data();
    void entriesAct();

private:
    QTemporaryDir m_themeFolder;
    ContextTranslator m_translator;
};

void tst_TextBoxContextMenu::initTestCase()
{
    QVERIFY(m_themeFolder.isValid());
    installIconTheme(m_themeFolder.path());
    QCoreApplication::installTranslator(&m_translator);
}

void tst_TextBoxContextMenu::matchesPlainTextEdit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("undone");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("empty") << "" << 0 << false << false << false << "";
    QTest::newRow("clipboard holds text") << "one two" << 0 << false << false << false << "x";
    QTest::newRow("selection") << "one two" << 3 << false << false << false << "";
    QTest::newRow("after an edit") << "one two" << 0 << true << false << false << "x";
    QTest::newRow("after undo") << "one two" << 3 << true << true << false << "x";
    QTest::newRow("read-only") << "one two" << 3 << false << false << true << "x";
    QTest::newRow("read-only empty") << "" << 0 << false << false << true << "";
}

void tst_TextBoxContextMenu::matchesPlainTextEdit()
{
    QFETCH(QString, text);
    QFETCH(int, selectionEnd);
    QFETCH(bool, edited);
    QFETCH(bool, undone);
    QFETCH(bool, readOnly);
    QFETCH(QString, clipboard);
    QGuiApplication::clipboard()->setText(clipboard);

    QPlainTextEdit plain(text);
    TextBox box;
    box.setPlainText(text);
    if (edited) {
        plain.moveCursor(QTextCursor::End);
        plain.insertPlainText(QStringLiteral("!"));
        box.setCursorPosition(text.size());
        box.insertText(QStringLiteral("!"));
    }
    if (undone) {
        plain.undo();
        box.undo();
    }
    QTextCursor cursor = plain.textCursor();
    cursor.setPosition(0);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    plain.setTextCursor(cursor);
    box.setSelection(0, selectionEnd);
    plain.setReadOnly(readOnly);
    box.setReadOnly(readOnly);

    QCOMPARE(entries(box.createStandardContextMenu()), entries(plain.createStandardContextMenu()));
}

void tst_TextBoxContextMenu::entriesAct_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("undone");
    QTest::addColumn<QString>("expected");
    // "one two!" came from typing "!"; then "one" is selected and the clipboard holds "X".
    // Expected: the text, the selected text and the clipboard's text.
    QTest::newRow("undo") << "edit-undo" << false << "one two||X";
    QTest::newRow("redo") << "edit-redo" << true << "one two!||X";
    QTest::newRow("cut") << "edit-cut" << false << " two!||one";
    QTest::newRow("copy") << "edit-copy" << false << "one two!|one|one";
    QTest::newRow("paste") << "edit-paste" << false << "X two!||X";
    QTest::newRow("delete") << "edit-delete" << false << " two!||X";
    QTest::newRow("select all") << "select-all" << false << "one two!|one two!|X";
}

void tst_TextBoxContextMenu::entriesAct()
{
    QFETCH(QString, entry);
    QFETCH(bool, undone);
    QFETCH(QString, expected);
    TextBox box;
    box.setPlainText(QStringLiteral("one two"));
    box.setCursorPosition(7);
    box.insertText(QStringLiteral("!"));
    if (undone)
        box.undo();
    box.setSelection(0, 3);
    QGuiApplication::clipboard()->setText(QStringLiteral("X"));

    QMenu *const menu = box.createStandardContextMenu();
    QAction *const action = menu->findChild<QAction *>(entry);
    QVERIFY(action && action->isEnabled());
    action->trigger();
    delete menu;
    QCOMPARE(
        QStringList({box.toPlainText(), box.selectedText(), QGuiApplication::clipboard()->text()})
            .join(u'|'),
        expected);
}

QTEST_MAIN(tst_TextBoxContextMenu)
#include "tst_TextBoxContextMenu.moc"
