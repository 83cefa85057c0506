// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"
#include "text/TextDocument.h"
#include "text/TextEditor.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QClipboard>
#include <QPoint>
#include <memory>

class QMenu;
class TextView;

// A plain-text box for texts of any size: it shows a text document, turns keys, clicks, drops and
// input methods into the document's edits, and follows the changes the document reports; only
// the rows on screen are ever laid out. Lines wrap at the widget's width, at word boundaries where
// a word fits; there are no scroll bars and the view follows the caret. The text is kept exactly as
// given, line ends included: Enter inserts lineEnd(), and pasted or dropped line ends become it.
//
// Offsets are in UTF-16 units from the start of the text.
class TextBox : public QAbstractScrollArea, public TextEditor {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
    ~TextBox() override;

    // The whole text; a copy, for small texts and tests.
    QString toPlainText() const;
    // Replaces the text; the caret goes to the start and the undo history is forgotten.
    void setPlainText(const QString &text);
    void setText(PieceTree text) override;
    // The text as it is now, for reading on another thread while editing goes on.
    const PieceTree &text() const override { return m_document.text(); }
    // The document the box shows and edits; every change of the text goes through it.
    const TextDocument &document() const { return m_document; }
    const TextBoundaries &boundaries() const { return m_document.boundaries(); }

    // What Enter inserts, and what line ends of pasted text become: "\n", "\r\n" or "\r".
    QString lineEnd() const { return m_document.lineEnd(); }
    void setLineEnd(const QString &lineEnd) override { m_document.setLineEnd(lineEnd); }

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) override;

    qsizetype cursorPosition() const { return m_cursor; }
    qsizetype anchorPosition() const { return m_anchor; }
    bool hasSelection() const { return m_cursor != m_anchor; }
    qsizetype selectionStart() const { return std::min(m_cursor, m_anchor); }
    qsizetype selectionEnd() const { return std::max(m_cursor, m_anchor); }
    QString selectedText() const;
    // Moves the caret; keepAnchor extends the selection from where it was. Positions inside a
    // character (a line break, a surrogate pair, a cluster) go to its start.
    void setCursorPosition(qsizetype position, bool keepAnchor = false);
    void setSelection(qsizetype anchor, qsizetype cursor);

    // Replaces the selection by text as typed or pasted, as one undo step.
    void insertText(const QString &text);
    // Replaces [start, end), widened to whole characters, by text, as one undo step, for another
    // program (a screen reader): a selection keeps to the text it was on, and a caret inside what
    // was replaced goes to the end of the new text.
    void replaceText(qsizetype start, qsizetype end, const QString &text);

    bool isUndoAvailable() const { return m_document.canUndo(); }
    bool isRedoAvailable() const { return m_document.canRedo(); }

    // The caret's rectangle at an offset, in viewport coordinates; empty when not on screen.
    QRect cursorRect(qsizetype position) const;
    QRect cursorRect() const { return cursorRect(m_cursor); }
    // The box of the character [start, end) as drawn, in viewport coordinates; empty when it is
    // not on screen or shows no glyph.
    QRect characterRect(qsizetype start, qsizetype end) const;
    // The offset nearest to a point of the viewport.
    qsizetype positionAt(const QPoint &point) const;
    // The start of the character drawn at a point of the viewport, or the offset nearest to it
    // where no character is drawn.
    qsizetype characterAt(const QPoint &point) const;
    // The visual row around an offset, as [start, end) offsets; the end excludes a line break.
    std::pair<qsizetype, qsizetype> rowAt(qsizetype position) const;

    // Undo, Redo, Cut, Copy, Paste, Delete and Select All, as every text box offers them.
    QMenu *createStandardContextMenu(QWidget *parent = nullptr);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

public slots:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    void clear();

signals:
    void textChanged();
    void cursorPositionChanged();
    void selectionChanged();
    void undoAvailable(bool available);
    void redoAvailable(bool available);
    void copyAvailable(bool available);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum class Move {
        Left,
        Right,
        WordLeft,
        WordRight,
        Up,
        Down,
        RowStart,
        RowEnd,
        PageUp,
        PageDown,
        Start,
        End
    };

    // Replaces [from, to) by text and puts the caret after it.
    void replace(qsizetype from, qsizetype to, const QString &text, EditKind kind);
    // Replaces [from, to) by text, leaving the caret to the caller; every edit comes through here.
    void edit(qsizetype from, qsizetype to, const QString &text, EditKind kind);
    void removeSelection(EditKind kind);
    // What any change of the document means for the view, the caret and screen readers.
    void documentChanged(const TextChange &change);
    // After an undo, a redo or a move: the caret goes where the step leaves it.
    void showStep(const TextState &caret);
    TextState caretState() const { return TextState{PieceTree(), m_cursor, m_anchor}; }
    void placeSelection(qsizetype anchor, qsizetype cursor);
    // The one place where the caret and the selection become what they are: it compares them
    // with what the view, screen readers, the primary selection and the signals were last told,
    // and tells each of them once what changed.
    void placeCaret(qsizetype anchor, qsizetype cursor);
    // caretMoved: tell of the caret even where its offset stayed.
    void tellCaret(bool caretMoved = false);
    void repaintCaretRows(qsizetype oldCursor);
    // What committing the input method's composition did: inserted units at a position, which
    // moves positions after it along.
    struct Commit {
        qsizetype at = -1;
        qsizetype inserted = 0;
        qsizetype moved(qsizetype position) const
        {
            return at >= 0 && position > at ? position + inserted : position;
        }
    };
    Commit commitPreedit();
    void moveCaret(Move move, bool keepAnchor);
    qsizetype movedPosition(Move move);
    bool handleStandardKey(QKeyEvent *event);
    bool handleEditKey(QKeyEvent *event);
    void deleteToLineEnd();
    void pasteFrom(QClipboard::Mode mode);
    void typeText(const QString &text);
    QString withOwnLineEnds(const QString &text) const;
    void setPrimarySelection();
    void startDrag();
    void dropText(const QString &text, qsizetype position, bool moveFromHere);
    void restartCaretBlink();
    void scheduleIndexing();
    void extendIndex();
    void viewChanged();

    TextDocument m_document;
    // The document's text, which the box reads everywhere.
    const PieceTree &m_text = m_document.text();
    const TextBoundaries &m_boundaries = m_document.boundaries();
    qsizetype m_cursor = 0;
    qsizetype m_anchor = 0;
    // The caret and the anchor as they were last told.
    qsizetype m_toldCursor = 0;
    qsizetype m_toldAnchor = 0;
    // While the user's own keys and clicks are handled: a selection they leave is the primary
    // selection, one that a program sets is not.
    bool m_byUser = false;
    // The text changed since the caret was last told.
    bool m_edited = false;
    bool m_readOnly = false;
    std::unique_ptr<TextView> m_view;

    // Up and Down keep to the column where a run of them started.
    qreal m_goalX = -1;
    QBasicTimer m_caretBlink;
    bool m_caretShown = true;
    QBasicTimer m_indexing;
    int m_wheelRemainder = 0;
    // Mouse: where a press that may start a drag happened, and the clicks counted for triple.
    QPoint m_pressPoint;
    bool m_mayDrag = false;
    bool m_selectingByMouse = false;
    int m_clicks = 0;
    qint64 m_lastClickTime = 0;
    QPoint m_lastClickPoint;
    bool m_droppedOnItself = false;
};
