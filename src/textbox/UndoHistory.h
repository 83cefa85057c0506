// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textbox/PieceTree.h"

#include <QList>

// A text with where its caret and selection anchor are.
struct TextState {
    PieceTree text;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
};

// What kind of edit a change was, which decides whether it joins the undo step before it.
enum class EditKind {
    Typing,    // characters typed at the caret, or an input method's commit
    Backspace, // deleting before the caret
    Delete,    // deleting after the caret
    Other,     // paste, cut, drop, Enter replacing a selection...: always a step of its own
};

// The undo and redo steps of a text box. A step keeps the whole text before and after it, which
// costs little because the trees share their nodes. Consecutive edits of one kind join into one
// step, as users expect of typing.
class UndoHistory {
public:
    // Called after each edit: before is the state just before it, after the state it made.
    // position, removed and inserted say what changed: at position, removed units went and
    // inserted units came.
    void record(const TextState &before, const TextState &after, EditKind kind, qsizetype position,
                qsizetype removed, qsizetype inserted);
    // The next edit starts a step of its own (the caret moved, the box lost focus...).
    void closeStep();
    void clear();

    bool canUndo() const;
    bool canRedo() const;
    // The state to show after undoing or redoing one step. Call only when available.
    TextState undo();
    TextState redo();

private:
    struct Step {
        TextState before;
        TextState after;
    };
    QList<Step> m_undo;
    QList<Step> m_redo;
    bool m_stepOpen = false;
};
