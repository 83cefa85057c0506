// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorPair.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextBoundaryFinder>

using editscript::Step;

namespace {

void type(QWidget *widget, const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80)
            QTest::keyClick(widget, char(c));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                                Qt::NoModifier);
    }
}

void commit(QWidget *widget, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

bool isVertical(const Step &step)
{
    const int key = step.key.key();
    return step.kind == Step::Kind::Key && (key == Qt::Key_Up || key == Qt::Key_Down ||
                                            key == Qt::Key_PageUp || key == Qt::Key_PageDown);
}

// Keys that set the column Up and Down keep even where the caret stays put.
bool placesCaret(const Step &step)
{
    const int key = step.key.key();
    return step.kind == Step::Kind::Key &&
           (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home ||
            key == Qt::Key_End || step.key == QKeySequence(QKeySequence::SelectAll)[0]);
}

} // namespace

EditorPair::EditorPair(const QString &initialText)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 10);
    for (QAbstractScrollArea *widget : {static_cast<QAbstractScrollArea *>(&m_box),
                                        static_cast<QAbstractScrollArea *>(&m_edit)}) {
        widget->setFont(font);
        widget->resize(Size);
        widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    m_edit.document()->setDefaultCursorMoveStyle(Qt::VisualMoveStyle);
    m_edit.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edit.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_box.setPlainText(initialText);
    m_edit.setPlainText(initialText);
    m_box.show();
    m_edit.show();
}

bool EditorPair::isReady()
{
    return QTest::qWaitForWindowExposed(&m_box) && QTest::qWaitForWindowExposed(&m_edit) &&
           m_box.viewport()->size() == m_edit.viewport()->size();
}

EditorState EditorPair::boxState() const
{
    return {m_box.toPlainText(), m_box.cursorPosition(), m_box.anchorPosition()};
}

EditorState EditorPair::editState() const
{
    const QTextCursor cursor = m_edit.textCursor();
    return {m_edit.toPlainText(), cursor.position(), cursor.anchor()};
}

void EditorPair::apply(const Step &step)
{
    const EditorState before = editState();
    switch (step.kind) {
    case Step::Kind::Type:
        type(&m_box, step.text);
        type(&m_edit, step.text);
        break;
    case Step::Kind::Commit:
        commit(&m_box, step.text);
        commit(&m_edit, step.text);
        break;
    case Step::Kind::Click:
        click(step);
        break;
    case Step::Kind::Key:
        pressKey(step.key);
        break;
    }
    if (!isVertical(step) && (placesCaret(step) || !(editState() == before)))
        m_editColumn.reset();
}

// A click aims at a row rather than a point: the two scroll alike, but QPlainTextEdit draws a
// scrolled view without the margin above its top row. Rows off screen are not clicked.
void EditorPair::click(const Step &step)
{
    const qsizetype target = qsizetype(step.along * m_box.toPlainText().size());
    QTextCursor editTarget = m_edit.textCursor();
    editTarget.setPosition(int(target));
    const QRect boxRow = m_box.cursorRect(target);
    const int editY = m_edit.cursorRect(editTarget).center().y();
    if (boxRow.isEmpty() || !m_box.viewport()->rect().contains(step.x, boxRow.center().y()) ||
        !m_edit.viewport()->rect().contains(step.x, editY))
        return;
    const Qt::KeyboardModifiers modifiers = step.shift ? Qt::ShiftModifier : Qt::NoModifier;
    QTest::mouseClick(m_box.viewport(), Qt::LeftButton, modifiers,
                      QPoint(step.x, boxRow.center().y()));
    QTest::mouseClick(m_edit.viewport(), Qt::LeftButton, modifiers, QPoint(step.x, editY));
    keepOnRow(*editRowNextTo(int(target), 0), step.shift);
    m_editColumn.reset();
}

void EditorPair::pressKey(QKeyCombination key)
{
    const int pageRows = boxPageRows();
    QTest::keyClick(&m_box, key.key(), key.keyboardModifiers());
    const bool shift = key.keyboardModifiers() & Qt::ShiftModifier;
    const bool control = key.keyboardModifiers() & Qt::ControlModifier;
    // Alt+Left and Alt+Right are no caret moves (Back and Forward), in neither.
    const bool horizontal = (key.key() == Qt::Key_Left || key.key() == Qt::Key_Right) &&
                            !(key.keyboardModifiers() & (Qt::AltModifier | Qt::MetaModifier));
    if (key == QKeyCombination(Qt::Key_Backspace))
        backspaceCluster();
    else if (key == (Qt::ShiftModifier | Qt::Key_Return) ||
             key == (Qt::ShiftModifier | Qt::Key_Enter))
        // Shift+Enter: the box keeps one style of line end; QPlainTextEdit inserts U+2028.
        QTest::keyClick(&m_edit, key.key());
    else if (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down)
        moveRows(key.key() == Qt::Key_Up ? -1 : 1, shift);
    else if (key.key() == Qt::Key_PageUp || key.key() == Qt::Key_PageDown)
        moveRows(key.key() == Qt::Key_PageUp ? -pageRows : pageRows, shift);
    else if (horizontal && !shift && !control && m_edit.textCursor().hasSelection())
        closeSelection(key.key() == Qt::Key_Right);
    else if (horizontal && !control)
        moveCharacter(key);
    else if (key == QKeySequence(QKeySequence::Paste)[0] &&
             m_edit.textCursor().selectionStart() == 0)
        pasteAtStart();
    else
        QTest::keyClick(&m_edit, key.key(), key.keyboardModifiers());
}

// The box pages by the rows wholly on screen less one, counted from its top row down from the
// margin, and past the text's end as rows of its last row's height; QPlainTextEdit pages by
// pixels, from a view that drops its top margin once scrolled.
int EditorPair::boxPageRows() const
{
    constexpr qreal BoxMargin = 4;
    const qreal height = m_box.viewport()->height();
    const qsizetype top = m_box.rowAt(m_box.positionAt(QPoint(1, 1))).first;
    int rows = 0;
    qreal y = BoxMargin;
    qreal lastHeight = 0;
    for (std::optional<EditRow> row = editRowNextTo(int(top), 0); row;
         row = editRowNextTo(row->start, 1)) {
        lastHeight = row->line.height();
        if (y + lastHeight > height && rows > 0)
            return std::max(1, rows - 1);
        y += lastHeight;
        ++rows;
    }
    for (; lastHeight > 0 && y + lastHeight <= height; y += lastHeight)
        ++rows;
    return std::max(1, rows - 1);
}

// The rows of QPlainTextEdit's own layout, walked at the column a run of Up and Down keeps:
// - QTextCursor keeps the column in whole pixels; the box keeps it exact.
// - Beyond the first or last row the box goes to the start or end of the text, as most editors
//   do, keeping the column to come back to; QPlainTextEdit stays put, or goes there with Shift.
// - QTextLine::xToCursor can answer an offset off its row (see keepOnRow()), or before the start
//   of a right-to-left row; the box keeps the caret on the row it went to.
void EditorPair::moveRows(int rows, bool shift)
{
    QTextCursor cursor = m_edit.textCursor();
    const QTextCursor::MoveMode mode = shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    if (!m_editColumn) {
        const EditRow row = *editRowNextTo(cursor.position(), 0);
        m_editColumn = row.line.cursorToX(cursor.position() - row.blockPosition);
    }
    for (int i = 0; i < std::abs(rows); ++i) {
        const std::optional<EditRow> row = editRowNextTo(cursor.position(), rows < 0 ? -1 : 1);
        if (!row) {
            cursor.movePosition(rows < 0 ? QTextCursor::Start : QTextCursor::End, mode);
            break;
        }
        const int position = row->blockPosition + row->line.xToCursor(*m_editColumn);
        cursor.setPosition(std::clamp(position, row->start, row->lastPlace), mode);
    }
    m_edit.setTextCursor(cursor);
}

// Left and Right go on to the next or previous line in the box; QPlainTextEdit in visual mode
// stops at the line's edge.
void EditorPair::moveCharacter(QKeyCombination key)
{
    const int before = m_edit.textCursor().position();
    QTest::keyClick(&m_edit, key.key(), key.keyboardModifiers());
    QTextCursor cursor = m_edit.textCursor();
    if (cursor.position() != before)
        return;
    const bool rightToLeft = cursor.block().textDirection() == Qt::RightToLeft;
    const bool forward = (key.key() == Qt::Key_Right) != rightToLeft;
    const bool shift = key.keyboardModifiers() & Qt::ShiftModifier;
    cursor.movePosition(forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter,
                        shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    m_edit.setTextCursor(cursor);
}

// Left and Right without Shift close a selection at the side they point to in the box;
// QPlainTextEdit 6.4 in visual mode closes it at the other side.
void EditorPair::closeSelection(bool right)
{
    QTextCursor cursor = m_edit.textCursor();
    const bool rightToLeft = cursor.block().textDirection() == Qt::RightToLeft;
    cursor.setPosition(right != rightToLeft ? cursor.selectionEnd() : cursor.selectionStart());
    m_edit.setTextCursor(cursor);
}

// Undoing a paste at the very start of the text leaves the caret where the paste was in the box;
// QPlainTextEdit puts it at the end of the first line, as it pastes a fragment that also sets the
// line's format there. Pasted as an edit block of plain text, it comes undone like any other.
void EditorPair::pasteAtStart()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    QTextCursor cursor = m_edit.textCursor();
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
    m_edit.setTextCursor(cursor);
}

// Backspace takes a whole grapheme cluster in the box, as the caret steps over clusters;
// QPlainTextEdit takes one code point, so it gets as many Backspaces as the cluster needs.
void EditorPair::backspaceCluster()
{
    const QTextCursor cursor = m_edit.textCursor();
    if (cursor.hasSelection() || cursor.position() == 0) {
        QTest::keyClick(&m_edit, Qt::Key_Backspace);
        return;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_edit.toPlainText());
    finder.setPosition(cursor.position());
    const qsizetype clusterStart = finder.toPreviousBoundary();
    while (m_edit.textCursor().position() > clusterStart)
        QTest::keyClick(&m_edit, Qt::Key_Backspace);
}

// A click or Up and Down past a wrapped row's end leave the caret on that row in the box: before
// the space the row wraps at, or before its last character if it is cut inside a word.
// QPlainTextEdit puts it at the row's end, which is where the next row starts, so the caret
// shows there and Up from it finds the same row again.
void EditorPair::keepOnRow(const EditRow &row, bool shift)
{
    QTextCursor cursor = m_edit.textCursor();
    const int kept = std::clamp(cursor.position(), row.start, row.lastPlace);
    if (kept == cursor.position())
        return;
    cursor.setPosition(kept, shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    m_edit.setTextCursor(cursor);
}

// The row rows away from position's row in QPlainTextEdit's layout, if there is one.
std::optional<EditorPair::EditRow> EditorPair::editRowNextTo(int position, int rows) const
{
    QAbstractTextDocumentLayout *layout = m_edit.document()->documentLayout();
    QTextBlock block = m_edit.document()->findBlock(position);
    layout->blockBoundingRect(block); // QPlainTextEdit lays out only the blocks it shows
    int line = block.layout()->lineForTextPosition(position - block.position()).lineNumber() + rows;
    if (line < 0 || line >= block.layout()->lineCount()) {
        block = rows < 0 ? block.previous() : block.next();
        if (!block.isValid())
            return std::nullopt;
        layout->blockBoundingRect(block);
        line = rows < 0 ? block.layout()->lineCount() - 1 : 0;
    }
    const QTextLine row = block.layout()->lineAt(line);
    const int start = block.position() + row.textStart();
    int lastPlace = start + row.textLength();
    if (line + 1 < block.layout()->lineCount()) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, block.text());
        finder.setPosition(row.textStart() + row.textLength());
        const bool atSpace = block.text().at(finder.position() - 1).isSpace();
        lastPlace =
            block.position() + (atSpace ? finder.position() - 1 : finder.toPreviousBoundary());
    }
    return EditRow{row, block.position(), start, lastPlace};
}
