// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse: clicks, selection by dragging, drag and drop of text, the middle-click paste of the
// primary selection and the wheel.
#include "textbox/TextBox.h"
#include "textbox/TextMimeData.h"
#include "textbox/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyleHints>
#include <QWheelEvent>

// The user's own clicks: a selection they make is the primary selection, once the mouse lets go
// of it.
void TextBox::mousePressEvent(QMouseEvent *event)
{
    const QScopedValueRollback<bool> byUser(m_byUser, true);
    // The click lands in the text as it is once the composition is committed.
    commitPreedit();
    const QPoint point = event->position().toPoint();
    const qsizetype position = m_view->positionAt(point);
    if (event->button() == Qt::MiddleButton) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (!m_readOnly && clipboard->supportsSelection()) {
            setCursorPosition(position);
            insertText(clipboard->text(QClipboard::Selection));
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    // A third click soon after a double-click, near it, selects the whole line with its line
    // break, so that Delete then takes the line away.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool soon =
        now - m_lastClickTime < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const bool near =
        (point - m_lastClickPoint).manhattanLength() <= QApplication::startDragDistance();
    if (m_clicks == 2 && soon && near) {
        m_clicks = 3;
        const qsizetype line = m_text.lineAt(position);
        const qsizetype next =
            line + 1 < m_text.lineCount() ? m_text.lineStart(line + 1) : m_text.length();
        setSelection(m_text.lineStart(line), next);
        return;
    }
    m_clicks = 1;
    m_lastClickTime = now;
    m_lastClickPoint = point;
    const bool insideSelection =
        hasSelection() && position >= selectionStart() && position < selectionEnd();
    if (insideSelection && !(event->modifiers() & Qt::ShiftModifier)) {
        m_mayDrag = true;
        m_pressPoint = point;
        return;
    }
    m_selectingByMouse = true;
    setCursorPosition(position, event->modifiers() & Qt::ShiftModifier);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QScopedValueRollback<bool> byUser(m_byUser, true);
    commitPreedit();
    const QPoint point = event->position().toPoint();
    const auto [start, end] = m_boundaries.wordAt(m_view->positionAt(point));
    setSelection(start, end);
    m_clicks = 2;
    m_lastClickTime = QDateTime::currentMSecsSinceEpoch();
    m_lastClickPoint = point;
    m_mayDrag = false;
    m_selectingByMouse = false;
}

void TextBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (m_mayDrag) {
        if ((point - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
            m_mayDrag = false;
            startDrag();
        }
        return;
    }
    if (!m_selectingByMouse || !(event->buttons() & Qt::LeftButton))
        return;
    // Dragging past the top or the bottom selects on into the rows beyond, which come into view.
    qsizetype position = m_view->positionAt(point);
    if (point.y() < 0)
        position = m_view->positionRowsAway(m_view->top(), -1, point.x());
    else if (point.y() >= viewport()->height())
        position = m_view->positionRowsAway(position, 1, point.x());
    setCursorPosition(position, true);
}

void TextBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_mayDrag) {
        // A click inside the selection without a drag puts the caret there.
        setCursorPosition(m_view->positionAt(event->position().toPoint()));
        m_mayDrag = false;
    }
    if (m_selectingByMouse)
        setPrimarySelection();
    m_selectingByMouse = false;
}

void TextBox::wheelEvent(QWheelEvent *event)
{
    // 120 is one notch of an ordinary wheel; finer wheels and touchpads send parts of it.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    if (notches != 0) {
        m_view->scrollRows(-notches * QApplication::wheelScrollLines());
        scheduleIndexing();
        viewport()->update();
        updateMicroFocus();
    }
    event->accept();
}

void TextBox::startDrag()
{
    auto *drag = new QDrag(this);
    drag->setMimeData(mimeDataFor(m_text, selectionStart(), selectionEnd()).release());
    m_droppedOnItself = false;
    const Qt::DropActions actions = m_readOnly ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction;
    const Qt::DropAction done = drag->exec(actions, Qt::MoveAction);
    // Moved to another program: the text leaves here. A move within the box was done at the drop.
    if (done == Qt::MoveAction && !m_droppedOnItself && !m_readOnly)
        removeSelection(EditKind::Other);
}

void TextBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_readOnly && event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TextBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_readOnly || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    const qsizetype position = m_view->positionAt(event->position().toPoint());
    const bool ontoItsOwnSelection =
        event->source() == this && position >= selectionStart() && position <= selectionEnd();
    if (ontoItsOwnSelection) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TextBox::dropEvent(QDropEvent *event)
{
    if (m_readOnly || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    const qsizetype position = m_view->positionAt(event->position().toPoint());
    const bool moveFromHere = event->source() == this && event->dropAction() == Qt::MoveAction;
    dropText(event->mimeData()->text(), position, moveFromHere);
    m_droppedOnItself = moveFromHere;
    event->acceptProposedAction();
}

// A move within the box is one undo step: the text goes from its old place to the new one.
void TextBox::dropText(const QString &text, qsizetype position, bool moveFromHere)
{
    // Never inside a character, wherever Qt's layout put the point, and in the text as it is once
    // the composition is committed.
    position = commitPreedit().moved(m_boundaries.characterStart(position));
    const QString inserted = withOwnLineEnds(text);
    if (!moveFromHere) {
        edit(position, position, inserted, EditKind::Other);
        placeCaret(position, position + inserted.size());
        return;
    }
    const qsizetype start = selectionStart();
    const qsizetype end = selectionEnd();
    const qsizetype target = position > end ? position - (end - start) : position;
    // The units move as they are: they are already the text's own.
    m_document.move(start, end - start, position, caretState());
    const qsizetype caret = target + (end - start);
    showStep(TextState{PieceTree(), caret, caret});
}
