// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard: caret moves, selection, editing keys and typing.
#include "textbox/TextBox.h"
#include "textbox/TextView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>

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

// Printable text, a tab, and format characters: the joiners that shape scripts, the marks that
// set the direction of bidirectional text by hand (LRM, RLM), the soft hyphen. Not control
// characters.
bool isTypedText(const QString &text)
{
    if (text.isEmpty())
        return false;
    const char32_t first = QStringView(text).toUcs4().value(0);
    const QChar::Category category = QChar::category(first);
    return QChar::isPrint(first) || first == u'\t' || category == QChar::Other_Format ||
           category == QChar::Other_PrivateUse;
}

// Ctrl+Shift+Insert pastes the primary selection where there is one, Shift+Insert the clipboard.
bool isSelectionPasteKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Insert &&
           event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) &&
           QGuiApplication::clipboard()->supportsSelection();
}

} // namespace

// A selection that keys make is the primary selection, as a selection made with the mouse is.
void TextBox::keyPressEvent(QKeyEvent *event)
{
    const QScopedValueRollback<bool> byUser(m_byUser, true);
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
        pasteFrom(isSelectionPasteKey(event) ? QClipboard::Selection : QClipboard::Clipboard);
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
    // Backspace takes Shift as it comes; Alt or Control with it mean something else.
    const bool backspace = event->matches(QKeySequence::Backspace) ||
                           (event->key() == Qt::Key_Backspace &&
                            !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)));
    const bool deleteKey = event->matches(QKeySequence::Delete);
    const bool deleteWord = event->matches(QKeySequence::DeleteStartOfWord) ||
                            event->matches(QKeySequence::DeleteEndOfWord);
    if (event->matches(QKeySequence::InsertParagraphSeparator) ||
        event->matches(QKeySequence::InsertLineSeparator)) {
        replace(selectionStart(), selectionEnd(), m_document.lineEnd(), EditKind::Typing);
    } else if (event->matches(QKeySequence::DeleteEndOfLine)) {
        deleteToLineEnd();
    } else if (hasSelection() && (backspace || deleteKey || deleteWord)) {
        removeSelection(deleteKey ? EditKind::Delete : EditKind::Backspace);
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        replace(m_boundaries.previousWord(m_cursor), m_cursor, QString(), EditKind::Other);
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        replace(m_cursor, m_boundaries.nextWord(m_cursor), QString(), EditKind::Other);
    } else if (backspace) {
        replace(m_boundaries.previousCharacter(m_cursor), m_cursor, QString(), EditKind::Backspace);
    } else if (deleteKey) {
        replace(m_cursor, m_boundaries.nextCharacter(m_cursor), QString(), EditKind::Delete);
    } else {
        return false;
    }
    return true;
}

// From the caret to the end of its line, not the line break; with a selection, from its anchor.
// At the line's end without a selection there is nothing to take.
void TextBox::deleteToLineEnd()
{
    const qsizetype end = m_text.lineEnd(m_text.lineAt(m_cursor));
    replace(std::min(m_anchor, end), std::max(m_anchor, end), QString(), EditKind::Other);
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
    // Qt's layout has clusters of its own (Qt 6.4 splits emoji and flags next to Thai or
    // Devanagari letters): a move that stops inside one of the text's goes on to its edge.
    position = position > m_cursor ? m_boundaries.characterEnd(position)
                                   : m_boundaries.characterStart(position);
    const qreal goalX = m_goalX;
    setCursorPosition(position, keepAnchor);
    m_goalX = goalX;
}

qsizetype TextBox::movedPosition(Move move)
{
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
        return forward ? m_boundaries.nextCharacter(m_cursor)
                       : m_boundaries.previousCharacter(m_cursor);
    }
    case Move::WordLeft:
        return rightToLeft ? m_boundaries.nextWord(m_cursor) : m_boundaries.previousWord(m_cursor);
    case Move::WordRight:
        return rightToLeft ? m_boundaries.previousWord(m_cursor) : m_boundaries.nextWord(m_cursor);
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
