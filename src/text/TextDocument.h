// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"
#include "text/TextBoundaries.h"
#include "text/TextChange.h"
#include "text/UndoHistory.h"

#include <QObject>
#include <QString>

// The text of a note and the one way it changes. Every change, an undo or a redo included, is
// reported once by changed(), as the range it touched, so that what shows the text (rows, a
// screen reader's copy) follows it without looking at the rest. The document keeps the undo
// steps and the line end the note types; where the caret is belongs to whoever edits.
//
// Offsets are in UTF-16 units from the start of the text.
class TextDocument : public QObject {
    Q_OBJECT
public:
    explicit TextDocument(QObject *parent = nullptr);

    const PieceTree &text() const { return m_text; }
    // Characters and words of the text as it is at each call.
    const TextBoundaries &boundaries() const { return m_boundaries; }
    // Counts the changes; the revision of the last one reported.
    quint64 revision() const { return m_revision; }
    // The text as it was before the change being reported; empty outside changed().
    const PieceTree &textBefore() const { return m_before; }

    // What Enter inserts, and what line ends of pasted text become: "\n", "\r\n" or "\r".
    const QString &lineEnd() const { return m_lineEnd; }
    void setLineEnd(const QString &lineEnd) { m_lineEnd = lineEnd; }

    // An edit: [position, position + removed) becomes text. The caret of the text before it
    // (caret and anchor) is where undo finds it again; after it the caret is at the edit's end.
    // kind decides whether it joins the undo step before it. Nothing happens for an empty edit.
    void replace(qsizetype position, qsizetype removed, const QString &text, EditKind kind,
                 const TextState &caretBefore);
    void insert(qsizetype position, const QString &text, EditKind kind,
                const TextState &caretBefore)
    {
        replace(position, 0, text, kind, caretBefore);
    }
    void remove(qsizetype position, qsizetype count, EditKind kind, const TextState &caretBefore)
    {
        replace(position, count, QString(), kind, caretBefore);
    }
    // count units at from go to to (an offset outside them), as one undo step.
    void move(qsizetype from, qsizetype count, qsizetype to, const TextState &caretBefore);
    // Replaces the whole text and forgets the undo steps.
    void setText(PieceTree text);

    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    // Undoes or redoes one step, reporting the range it changed; returns the caret and anchor the
    // step leaves. Call only when available.
    TextState undo();
    TextState redo();
    // The next edit starts an undo step of its own.
    void closeUndoStep() { m_history.closeStep(); }

signals:
    void changed(const TextChange &change);

private:
    void report(PieceTree text, TextChange change);

    PieceTree m_text;
    PieceTree m_before;
    const TextBoundaries m_boundaries{m_text};
    UndoHistory m_history;
    QString m_lineEnd = QStringLiteral("\n");
    quint64 m_revision = 0;
};
