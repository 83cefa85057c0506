// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/UndoHistory.h"

// The steps follow what Qt 6's QPlainTextEdit does, as watched with its own key events:
// - A step never ends by time, by a caret move, a click or a focus change. Typing joins the step
//   before it when it lands where that step last inserted text, so typing, moving away and coming
//   back, then typing on is still one step; typing anywhere else starts a new one.
// - Paste, an input method's commit, a drop and typing over a selection start a step of their
//   own, and typing after them carries that step on. After a line break typing starts afresh, so
//   each Enter is a step.
// - Enter on an empty line, with nothing selected, makes two steps: before the line break's own
//   step comes one that changes no text, whose undo and redo only put the caret just past that
//   line's end (at the end of the text on the last line). So Enter, Enter, "ab" in an empty note
//   takes five undos back to it, the third and the fifth showing no change. Enter over a
//   selection that ends on an empty line makes two such steps before its own: the first puts the
//   caret past that empty line, the second at the end of the selection's first line (past its
//   line end when the selection starts there).
// - Backspace and Delete runs are one step, mixed in any order, as long as each removal touches
//   the text the last removed. A removed line break, a removed selection (cut included) and
//   removals after typing are steps of their own.
// - Qt joins typing through its text buffer, which never forgets: typing after undoing a removal,
//   or after undo and redo, carries the older typing step on, but typing after undoing an
//   insertion does not. m_insertedTotal stands for that buffer.
// - Undo puts the caret where the step's first edit ended in the old text (the start of typed
//   text, the end of text that comes back); after a drop, where the text was dropped. Redo puts
//   it where the step's last edit ended. Neither leaves a selection.
// Qt also keeps apart removals of neighbouring characters that were typed at different times;
// that subtlety is not followed here.

namespace {

bool hasLineBreak(const PieceTree &text, qsizetype offset, qsizetype count)
{
    bool found = false;
    text.forEachChunk(offset, count, [&found](QStringView chunk) {
        found = chunk.contains(u'\n') || chunk.contains(u'\r');
        return !found;
    });
    return found;
}

TextState withCaret(TextState state, qsizetype caret)
{
    state.cursor = state.anchor = caret;
    return state;
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// Past the line break at offset, or offset itself at the end of the text.
qsizetype pastLineBreak(const PieceTree &text, qsizetype offset)
{
    if (offset == text.length())
        return offset;
    const bool crLf =
        text.at(offset) == u'\r' && offset + 1 < text.length() && text.at(offset + 1) == u'\n';
    return offset + (crLf ? 2 : 1);
}

// Where the line through offset ends, past its line end, if the line is empty; the end of the
// text for an empty last line.
std::optional<qsizetype> pastEmptyLine(const PieceTree &text, qsizetype offset)
{
    const qsizetype length = text.length();
    if ((offset > 0 && !isLineBreak(text.at(offset - 1))) ||
        (offset < length && !isLineBreak(text.at(offset))))
        return std::nullopt;
    return pastLineBreak(text, offset);
}

// For Enter over the selection [start, end) whose end is on an empty line: where the caret goes
// for the step that comes just before the line break's own, the end of the first line the
// selection takes, or past its line break when the selection starts there.
std::optional<qsizetype> pastSelectedLine(const PieceTree &text, qsizetype start, qsizetype end)
{
    if (!pastEmptyLine(text, end))
        return std::nullopt;
    const qsizetype lineEnd = text.lineEnd(text.lineAt(start));
    return lineEnd > start ? lineEnd : pastLineBreak(text, lineEnd);
}

bool isOneLineEnd(const PieceTree &text, qsizetype offset, qsizetype count)
{
    if (count > 2)
        return false;
    const QString inserted = text.text(offset, count);
    return inserted == u"\n" || inserted == u"\r\n" || inserted == u"\r";
}

} // namespace

void UndoHistory::record(const TextState &before, const TextState &after, EditKind kind,
                         qsizetype position, qsizetype removed, qsizetype inserted)
{
    if (removed == 0 && inserted == 0)
        return;
    m_redo.clear();
    const qsizetype insertedBefore = m_insertedTotal;
    m_insertedTotal += inserted;
    const qsizetype end = position + inserted;
    const bool typed =
        kind == EditKind::Typing && removed == 0 && !hasLineBreak(after.text, position, inserted);
    if (typed && joinsTyping(position, insertedBefore)) {
        widenRange(position, removed, inserted);
        Step &step = m_undo.last();
        step.after = withCaret(after, end);
        step.typingEnd = end;
        step.insertedTotal = m_insertedTotal;
        return;
    }
    const bool singleRemoval = (kind == EditKind::Backspace || kind == EditKind::Delete) &&
                               inserted == 0 && before.cursor == before.anchor &&
                               !hasLineBreak(before.text, position, removed);
    if (singleRemoval && joinsRemoval(position, removed)) {
        widenRange(position, removed, inserted);
        extendRemoval(after, position, removed);
        return;
    }
    if (kind == EditKind::Typing && isOneLineEnd(after.text, position, inserted)) {
        addCaretStep(before, pastEmptyLine(before.text, position + removed));
        if (removed > 0)
            addCaretStep(before, pastSelectedLine(before.text, position, position + removed));
    }
    startStep(before, after, position + removed, end, inserted > 0);
    m_undo.last().range = {position, removed, inserted};
    if (singleRemoval)
        m_undo.last().removalPoint = position;
}

void UndoHistory::recordMove(const TextState &before, const TextState &after, qsizetype from,
                             qsizetype count, qsizetype to)
{
    if (count == 0)
        return;
    m_redo.clear();
    m_insertedTotal += count;
    const qsizetype landing = to > from ? to - count : to;
    startStep(before, after, to, landing + count, true);
    // One change over the text between the two places, whose length stays.
    const qsizetype start = std::min(from, landing);
    const qsizetype span = std::max(from + count, to) - start;
    m_undo.last().range = {start, span, span};
}

bool UndoHistory::joinsTyping(qsizetype position, qsizetype insertedBefore) const
{
    return !m_undo.isEmpty() && m_undo.last().typingEnd == position &&
           m_undo.last().insertedTotal == insertedBefore;
}

bool UndoHistory::joinsRemoval(qsizetype position, qsizetype removed) const
{
    if (m_undo.isEmpty() || !m_undo.last().removalPoint)
        return false;
    const qsizetype point = *m_undo.last().removalPoint;
    return position == point || position + removed == point;
}

void UndoHistory::extendRemoval(const TextState &after, qsizetype position, qsizetype removed)
{
    Step &step = m_undo.last();
    // A Delete brings its text back after the text removed earlier, so undo ends further on.
    if (position == *step.removalPoint)
        step.before = withCaret(step.before, step.before.cursor + removed);
    step.removalPoint = position;
    step.after = withCaret(after, position);
}

void UndoHistory::widenRange(qsizetype position, qsizetype removed, qsizetype inserted)
{
    TextChange &range = m_undo.last().range;
    const qsizetype start = std::min(range.position, position);
    const qsizetype end = std::max(range.position + range.inserted, position + removed);
    range.removed += (range.position - start) + (end - (range.position + range.inserted));
    range.inserted = end - start - removed + inserted;
    range.position = start;
}

void UndoHistory::addCaretStep(const TextState &before, std::optional<qsizetype> caret)
{
    if (!caret)
        return;
    Step step;
    step.before = step.after = withCaret(before, *caret);
    step.insertedTotal = m_insertedTotal;
    m_undo.append(step);
}

// redoCaret is also where the step's last edit ended; typing there carries the step on when that
// edit inserted text that did not end with a line break.
void UndoHistory::startStep(const TextState &before, const TextState &after, qsizetype undoCaret,
                            qsizetype redoCaret, bool inserted)
{
    Step step;
    step.before = withCaret(before, undoCaret);
    step.after = withCaret(after, redoCaret);
    step.insertedTotal = m_insertedTotal;
    if (inserted && !hasLineBreak(after.text, redoCaret - 1, 1))
        step.typingEnd = redoCaret;
    m_undo.append(step);
}

void UndoHistory::closeStep()
{
    if (m_undo.isEmpty())
        return;
    m_undo.last().typingEnd.reset();
    m_undo.last().removalPoint.reset();
}

void UndoHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
}

bool UndoHistory::canUndo() const
{
    return !m_undo.isEmpty();
}

bool UndoHistory::canRedo() const
{
    return !m_redo.isEmpty();
}

TextState UndoHistory::undo()
{
    m_redo.append(m_undo.takeLast());
    return m_redo.last().before;
}

TextState UndoHistory::redo()
{
    m_undo.append(m_redo.takeLast());
    return m_undo.last().after;
}

TextChange UndoHistory::undoRange() const
{
    return m_undo.last().range.reversed();
}

TextChange UndoHistory::redoRange() const
{
    return m_redo.last().range;
}
