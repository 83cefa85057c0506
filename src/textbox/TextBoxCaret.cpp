// SPDX-License-Identifier: GPL-3.0-or-later
// The caret and the selection: where they go, and the one place that tells what they became.
#include "textbox/TextBox.h"
#include "textbox/TextView.h"

#include <QApplication>

#include <utility>

namespace {

// Where a position goes when [start, end) is replaced by inserted units: one before the change
// stays, one after it moves along. One inside what went goes to the change's start when it ends
// a selection, which so keeps to the text it was on, and a caret there goes past the new text,
// as in Qt's own text boxes.
qsizetype kept(qsizetype position, qsizetype start, qsizetype end, qsizetype inserted,
               bool ofSelection)
{
    if (position < start)
        return position;
    if (position > end || (position == end && end > start))
        return position - (end - start) + inserted;
    return ofSelection && position < end ? start : start + inserted;
}

} // namespace

void TextBox::setCursorPosition(qsizetype position, bool keepAnchor)
{
    position = commitPreedit().moved(position);
    m_goalX = -1; // Up and Down start from the caret's new column; moveCaret() keeps its own.
    // A position from outside may fall inside a character; it goes to the character's start,
    // where an edit cannot split it.
    const qsizetype cursor = m_boundaries.characterStart(position);
    placeCaret(keepAnchor ? m_anchor : cursor, cursor);
}

void TextBox::setSelection(qsizetype anchor, qsizetype cursor)
{
    const Commit commit = commitPreedit();
    placeSelection(commit.moved(anchor), commit.moved(cursor));
}

// The selection as given, without committing what is being composed: for the input method, which
// moves the caret within it, and for the moves that committed it already.
void TextBox::placeSelection(qsizetype anchor, qsizetype cursor)
{
    m_goalX = -1;
    // A selection widens to whole characters; an empty one stays empty, at its character's start.
    placeCaret(
        anchor > cursor ? m_boundaries.characterEnd(anchor) : m_boundaries.characterStart(anchor),
        cursor > anchor ? m_boundaries.characterEnd(cursor) : m_boundaries.characterStart(cursor));
}

void TextBox::placeCaret(qsizetype anchor, qsizetype cursor)
{
    m_anchor = anchor;
    m_cursor = cursor;
    tellCaret();
}

void TextBox::replaceText(qsizetype start, qsizetype end, const QString &text)
{
    if (m_readOnly)
        return;
    const Commit commit = commitPreedit();
    const qsizetype length = m_text.length();
    start = std::clamp<qsizetype>(commit.moved(start), 0, length);
    end = std::clamp<qsizetype>(commit.moved(end), start, length);
    const qsizetype from = m_boundaries.characterStart(start);
    const qsizetype to = end > start ? m_boundaries.characterEnd(end) : from;
    const QString inserted = withOwnLineEnds(text);
    if (from == to && inserted.isEmpty())
        return;
    const qsizetype cursor = m_cursor;
    const qsizetype anchor = m_anchor;
    const bool selection = cursor != anchor;
    edit(from, to, inserted, EditKind::Other);
    m_anchor = kept(anchor, from, to, inserted.size(), selection);
    m_cursor = kept(cursor, from, to, inserted.size(), selection);
    // An edit at or before the caret moves it, even where its offset stays: the screen reader
    // that edited hears where it is now, as from Qt's own text boxes.
    tellCaret(cursor >= from);
}

// Told as Qt's own text boxes tell it: the caret moved when its offset changed; the selection
// changed when it came or went, or when a selection's ends moved. After an edit, the view and
// the input method hear of it even where the caret stayed.
void TextBox::tellCaret(bool caretMoved)
{
    const qsizetype oldCursor = m_toldCursor;
    const bool hadSelection = m_toldCursor != m_toldAnchor;
    const bool moved = caretMoved || m_cursor != m_toldCursor;
    const bool reselected =
        hasSelection() != hadSelection ||
        (hasSelection() && (m_cursor != m_toldCursor || m_anchor != m_toldAnchor));
    m_toldCursor = m_cursor;
    m_toldAnchor = m_anchor;
    const bool edited = std::exchange(m_edited, false);
    if (!moved && !reselected && !edited)
        return;
    if (moved)
        emit cursorPositionChanged();
    if (reselected)
        emit selectionChanged();
    if (hasSelection() != hadSelection)
        emit copyAvailable(hasSelection());
    if (reselected && m_byUser && !m_selectingByMouse)
        setPrimarySelection();
    restartCaretBlink();
    const bool scrolled = m_view->ensureVisible(m_cursor);
    if (scrolled || reselected || edited)
        viewport()->update();
    else
        repaintCaretRows(oldCursor);
    m_view->rows().trim();
    scheduleIndexing();
    updateMicroFocus();
}

// A caret that moved without a change of the text, the selection or the view: only the rows it
// left and entered are painted again.
void TextBox::repaintCaretRows(qsizetype oldCursor)
{
    const int width = viewport()->width();
    for (const qsizetype position : {oldCursor, m_cursor}) {
        const QRect caret = cursorRect(position);
        if (!caret.isEmpty())
            viewport()->update(QRect(0, caret.top(), width, caret.height()));
    }
}

void TextBox::showStep(const TextState &caret)
{
    emit undoAvailable(m_document.canUndo());
    emit redoAvailable(m_document.canRedo());
    placeCaret(caret.anchor, caret.cursor);
}

void TextBox::restartCaretBlink()
{
    m_caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_caretBlink.start(flash / 2, this);
    else
        m_caretBlink.stop();
}
