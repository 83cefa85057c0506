// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"
#include "text/TextChange.h"

#include <QList>

#include <optional>

// A text with where its caret and selection anchor are.
struct TextState {
    PieceTree text;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
};

// What kind of edit a change was, which decides whether it joins the undo step before it.
enum class EditKind {
    Typing,    // a key's text typed at the caret, Enter included, over the selection if any
    Backspace, // Backspace deleting the character before the caret, or the selection
    Delete,    // Delete deleting the character after the caret, or the selection
    Other,     // Enter, paste, cut, a drop, an input method's commit, deleting a word...
};

// The undo and redo steps of a text box, grouped as Qt's own text edits group them. A step keeps
// the whole text before and after it, which costs little because the trees share their nodes.
// Typing that goes on where the last insertion ended joins its step, and so do removals that go
// on from where the last ones stopped; undo and redo leave the caret where those edits would, with
// nothing selected. Every change of the text must come through record(), recordMove() or clear(),
// and the box shows the states that undo() and redo() return.
class UndoHistory {
public:
    // Called after each edit: before is the state just before it, after the state it made.
    // position, removed and inserted say what changed: at position, removed units went and
    // inserted units came.
    void record(const TextState &before, const TextState &after, EditKind kind, qsizetype position,
                qsizetype removed, qsizetype inserted);
    // Called after a drag within the box moved count units at from to the offset to (both in
    // before's text, to outside the moved units): one step, undone with the caret at to.
    void recordMove(const TextState &before, const TextState &after, qsizetype from,
                    qsizetype count, qsizetype to);
    // The next edit starts a step of its own, wherever it lands.
    void closeStep();
    void clear();

    bool canUndo() const;
    bool canRedo() const;
    // The state to show after undoing or redoing one step. Call only when available.
    TextState undo();
    TextState redo();
    // Where the next undo or redo changes the text, in the text it is shown over (no revision).
    // Call only when available.
    TextChange undoRange() const;
    TextChange redoRange() const;

private:
    struct Step {
        TextState before; // its caret is where undo puts it
        TextState after;  // its caret is where redo puts it
        // What the step changed in before's text, all its edits taken together.
        TextChange range;
        // Where typing would carry the step on: the end of its last insertion, when that text
        // did not end with a line break.
        std::optional<qsizetype> typingEnd;
        // m_insertedTotal just after the step last inserted: typing joins only while no other
        // insertion, not even an undone one, came in between.
        qsizetype insertedTotal = 0;
        // For a run of single Backspace and Delete removals: where the removed text was.
        std::optional<qsizetype> removalPoint;
    };

    bool joinsTyping(qsizetype position, qsizetype insertedBefore) const;
    bool joinsRemoval(qsizetype position, qsizetype removed) const;
    void extendRemoval(const TextState &after, qsizetype position, qsizetype removed);
    // Takes an edit of the step's after text, next to or inside the step's range, into it.
    void widenRange(qsizetype position, qsizetype removed, qsizetype inserted);
    // A step that changes no text, whose undo and redo put the caret there, if anywhere.
    void addCaretStep(const TextState &before, std::optional<qsizetype> caret);
    void startStep(const TextState &before, const TextState &after, qsizetype undoCaret,
                   qsizetype redoCaret, bool inserted);

    QList<Step> m_undo;
    QList<Step> m_redo;
    // Every unit any edit ever inserted, counted on through undo and redo.
    qsizetype m_insertedTotal = 0;
};
