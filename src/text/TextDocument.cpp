// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextDocument.h"

#include <utility>

TextDocument::TextDocument(QObject *parent)
    : QObject(parent)
{}

void TextDocument::replace(qsizetype position, qsizetype removed, const QString &text,
                           EditKind kind, const TextState &caretBefore)
{
    if (removed == 0 && text.isEmpty())
        return;
    const TextState before{m_text, caretBefore.cursor, caretBefore.anchor};
    const qsizetype caret = position + text.size();
    const TextState after{m_text.removed(position, removed).inserted(position, text), caret, caret};
    m_history.record(before, after, kind, position, removed, text.size());
    report(after.text, {position, removed, text.size()});
}

void TextDocument::move(qsizetype from, qsizetype count, qsizetype to, const TextState &caretBefore)
{
    if (count == 0)
        return;
    const TextState before{m_text, caretBefore.cursor, caretBefore.anchor};
    const qsizetype landing = to > from ? to - count : to;
    const PieceTree moved = m_text.removed(from, count).inserted(landing, m_text.text(from, count));
    const TextState after{moved, landing + count, landing + count};
    m_history.recordMove(before, after, from, count, to);
    // A move is a step of its own: the range its undo takes back is the move's.
    report(moved, m_history.undoRange().reversed());
}

void TextDocument::setText(PieceTree text)
{
    m_history.clear();
    const qsizetype removed = m_text.length();
    const qsizetype inserted = text.length();
    report(std::move(text), {0, removed, inserted});
}

TextState TextDocument::undo()
{
    const TextChange change = m_history.undoRange();
    TextState state = m_history.undo();
    report(state.text, change);
    return state;
}

TextState TextDocument::redo()
{
    const TextChange change = m_history.redoRange();
    TextState state = m_history.redo();
    report(state.text, change);
    return state;
}

// The text before is kept only while the change is reported: an old tree of a large text that
// was replaced would otherwise hold its memory.
void TextDocument::report(PieceTree text, TextChange change)
{
    // Some undo steps only move the caret (past an empty line's Enter): nothing to tell.
    if (change.removed == 0 && change.inserted == 0) {
        m_text = std::move(text);
        return;
    }
    m_before = std::exchange(m_text, std::move(text));
    change.revision = ++m_revision;
    emit changed(change);
    m_before = PieceTree();
}
