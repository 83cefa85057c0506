// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in until the real grouping lands: every edit is a step of its own.
#include "textbox/UndoHistory.h"

void UndoHistory::record(const TextState &before, const TextState &after, EditKind, qsizetype,
                         qsizetype, qsizetype)
{
    m_undo.append(Step{before, after});
    m_redo.clear();
}

void UndoHistory::closeStep()
{
    m_stepOpen = false;
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
    Step step = m_undo.takeLast();
    m_redo.append(step);
    return step.before;
}

TextState UndoHistory::redo()
{
    Step step = m_redo.takeLast();
    m_undo.append(step);
    return step.after;
}
