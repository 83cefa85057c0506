// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard: caret moves, selection, editing keys and typing.
#include "text/TextBoundaries.h"
#include "textbox/TextBox.h"
#include "textbox/TextView.h"

#include <QKeyEvent>

namespace {

struct KeyMove {
    QKeySequence::StandardKey key;
    int move; // TextBox::Move, which is private
    bool select;
};

// Left and Right move on screen; in right-to-left text that is backwards in the text.
constexpr KeyMove KeyMoves[] = {
    {QKeySequence::MoveToPreviousChar, 0, false},
    {QKeySequence::SelectPreviousChar, 0, true},
    {QKeySequence::MoveToNextChar, 1, false},
    {QKeySequence::SelectNextChar, 1, true},
    {QKeySequence::MoveToPreviousWord, 2, false},
    {QKeySequence::SelectPreviousWord, 2, true},
    {QKeySequence::MoveToNextWord, 3, false},
    {QKeySequence::SelectNextWord, 3, true},
    {QKeySequence::MoveToPreviousLine, 4, false},
    {QKeySequence::SelectPreviousLine, 4, true},
    {QKeySequence::MoveToNextLine, 5, false},
    {QKeySequence::SelectNextLine, 5, true},
    {QKeySequence::MoveToStartOfLine, 6, false},
    {QKeySequence::SelectStartOfLine, 6, true},
    {QKeySequence::MoveToEndOfLine, 7, false},
    {QKeySequence::SelectEndOfLine, 7, true},
    {QKeySequence::MoveToPreviousPage, 8, false},
    {QKeySequence::SelectPreviousPage, 8, true},
    {QKeySequence::MoveToNextPage, 9, false},
    {QKeySequence::SelectNextPage, 9, true},
    {QKeySequence::MoveToStartOfDocument, 10, false},
    {QKeySequence::SelectStartOfDocument, 10, true},
    {QKeySequence::MoveToEndOfDocument, 11, false},
    {QKeySequence::SelectEndOfDocument, 11, true},
};

// Printable text, a tab, and the joiners that shape scripts; not control characters.
bool isTypedText(const QString &text)
{
    if (text.isEmpty())
        return false;
    const char32_t first = QStringView(text).toUcs4().value(0);
    return QChar::isPrint(first) || first == u'\t' || first == 0x200C || first == 0x200D ||
           QChar::category(first) == QChar::Other_PrivateUse;
}

} // namespace

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (handleStandardKey(event) || handleEditKey(event)) {
        event->accept();
        return;
    }
    if (!m_readOnly && isTypedText(event->text()) &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        typeText(event->text());
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// Tab types a tab into an editable box, as in any plain text box, instead of moving the focus on.
bool TextBox::focusNextPrevChild(bool next)
{
    return !m_readOnly ? false : QAbstractScrollArea::focusNextPrevChild(next);
}

bool TextBox::handleStandardKey(QKeyEvent *event)
{
    for (const KeyMove &keyMove : KeyMoves) {
        if (event->matches(keyMove.key)) {
            moveCaret(Move(keyMove.move), keyMove.select);
            return true;
        }
    }
    if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Redo))
        redo();
    else
        return false;
    return true;
}

bool TextBox::handleEditKey(QKeyEvent *event)
{
    if (m_readOnly)
        return false;
    using namespace textboundaries;
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        replace(selectionStart(), selectionEnd(), m_document.lineEnd(), EditKind::Typing);
    } else if (hasSelection() &&
               (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)) {
        removeSelection(event->key() == Qt::Key_Delete ? EditKind::Delete : EditKind::Backspace);
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        replace(previousWord(m_text, m_cursor), m_cursor, QString(), EditKind::Other);
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        replace(m_cursor, nextWord(m_text, m_cursor), QString(), EditKind::Other);
    } else if (event->key() == Qt::Key_Backspace && !control) {
        replace(previousCharacter(m_text, m_cursor), m_cursor, QString(), EditKind::Backspace);
    } else if (event->key() == Qt::Key_Delete && !control) {
        replace(m_cursor, nextCharacter(m_text, m_cursor), QString(), EditKind::Delete);
    } else {
        return false;
    }
    return true;
}

void TextBox::typeText(const QString &text)
{
    replace(selectionStart(), selectionEnd(), text, EditKind::Typing);
}

void TextBox::moveCaret(Move move, bool keepAnchor)
{
    const bool vertical =
        move == Move::Up || move == Move::Down || move == Move::PageUp || move == Move::PageDown;
    if (vertical && m_goalX < 0)
        m_goalX = m_view->caretX(m_cursor);
    qsizetype position = movedPosition(move);
    if (!vertical)
        m_goalX = -1;
    // Without Shift, Left and Right first close a selection at its own side.
    if (!keepAnchor && hasSelection() && (move == Move::Left || move == Move::Right)) {
        const bool towardsEnd = (move == Move::Right) != m_view->rows().isRightToLeftAt(m_cursor);
        position = towardsEnd ? selectionEnd() : selectionStart();
    }
    const qreal goalX = m_goalX;
    setCursorPosition(position, keepAnchor);
    m_goalX = goalX;
}

qsizetype TextBox::movedPosition(Move move)
{
    using namespace textboundaries;
    const bool rightToLeft = m_view->rows().isRightToLeftAt(m_cursor);
    switch (move) {
    case Move::Left:
    case Move::Right: {
        const bool right = move == Move::Right;
        const qsizetype moved = m_view->visualMove(m_cursor, right);
        if (moved >= 0)
            return moved;
        // At the row's edge on screen: on to the next or previous line, over its line end.
        const bool forward = right != rightToLeft;
        const qsizetype line = m_text.lineAt(m_cursor);
        if (forward && m_cursor == m_text.lineEnd(line) && line + 1 < m_text.lineCount())
            return m_text.lineStart(line + 1);
        if (!forward && line > 0 && m_cursor == m_text.lineStart(line))
            return m_text.lineEnd(line - 1);
        return forward ? nextCharacter(m_text, m_cursor) : previousCharacter(m_text, m_cursor);
    }
    case Move::WordLeft:
        return rightToLeft ? nextWord(m_text, m_cursor) : previousWord(m_text, m_cursor);
    case Move::WordRight:
        return rightToLeft ? previousWord(m_text, m_cursor) : nextWord(m_text, m_cursor);
    case Move::Up:
        return m_view->positionRowsAway(m_cursor, -1, m_goalX);
    case Move::Down:
        return m_view->positionRowsAway(m_cursor, 1, m_goalX);
    case Move::PageUp:
    case Move::PageDown: {
        const int rows = std::max(1, m_view->pageRowCount() - 1);
        const int signedRows = move == Move::PageUp ? -rows : rows;
        m_view->scrollRows(signedRows);
        return m_view->positionRowsAway(m_cursor, signedRows, m_goalX);
    }
    case Move::RowStart:
        return m_view->rowStart(m_cursor);
    case Move::RowEnd:
        return m_view->rowEnd(m_cursor);
    case Move::Start:
        return 0;
    case Move::End:
        return m_text.length();
    }
    return m_cursor;
}
