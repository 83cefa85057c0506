// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "EditScript.h"
#include "textbox/TextBox.h"

#include <QPlainTextEdit>
#include <QTextLine>

#include <optional>

// The text, the caret and the selection anchor of an editor.
struct EditorState {
    QString text;
    qsizetype cursor = 0;
    qsizetype anchor = 0;

    bool operator==(const EditorState &other) const
    {
        return text == other.text && cursor == other.cursor && anchor == other.anchor;
    }
};

// The text box and QPlainTextEdit set up alike and shown side by side, taking the same steps.
// Where the box differs from QPlainTextEdit on purpose, the step QPlainTextEdit takes is the one
// that does what the box does, so that everything else still compares.
class EditorPair {
public:
    static constexpr QSize Size{260, 170};

    explicit EditorPair(const QString &initialText);

    // True once both are on screen with viewports of one size.
    bool isReady();
    EditorState boxState() const;
    EditorState editState() const;
    void apply(const editscript::Step &step);
    // The two widgets, for what no step does: a screen reader's calls, a click at a given point.
    TextBox &box() { return m_box; }
    QPlainTextEdit &edit() { return m_edit; }

private:
    struct EditRow {
        QTextLine line;
        int blockPosition;
        int start;
        int lastPlace; // where the caret may go on the row, as the box sees it
    };

    void click(const editscript::Step &step);
    void pressKey(QKeyCombination key);
    int boxPageRows() const;
    void moveRows(int rows, bool shift);
    void moveCharacter(QKeyCombination key);
    void closeSelection(bool right);
    void pasteAtStart();
    void backspaceCluster();
    void keepOnRow(const EditRow &row, bool shift);
    std::optional<EditRow> editRowNextTo(int position, int rows) const;

    TextBox m_box;
    QPlainTextEdit m_edit;
    // The column a run of Up and Down keys keeps in QPlainTextEdit's layout.
    std::optional<qreal> m_editColumn;
};
