// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

#include <functional>
#include <memory>

class PieceTree;
class TextBox;

// What screen readers learn of a text box and how they edit it: an editable, multi-line text
// with a caret and one selection. Offsets are UTF-16 units, as in the box. Reading by character,
// word, sentence, row or line costs the same in any size of text; only asking for all of it
// (Value, NoBoundary, text(0, -1)) costs what the text is long.
class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit TextBoxAccessible(TextBox *box);

    // Value is cut after this many units: a screen reader reads a long text through the text
    // interface, a piece at a time.
    static constexpr qsizetype ValueLimit = 64 * 1024;

    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString &text) override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    int selectionCount() const override;
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;

    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    TextBox *textBox() const;
};

// Makes Qt build a TextBoxAccessible for every TextBox. Each TextBox calls it as it is made;
// calling it again changes nothing.
void installTextBoxAccessibleFactory();

// What a text box tells screen readers as it changes. They cost nothing while none listens
// (QAccessible::isActive()), and otherwise no more than the changed text, whatever the text's
// length.

// After an edit replaced removed units at position, read from before (the text until then), by
// inserted units, read from the box. Call it once the box holds the new text and caret, before
// it emits its signals.
void notifyTextChanged(TextBox *box, qsizetype position, const PieceTree &before, qsizetype removed,
                       qsizetype inserted);
// After the caret moved, and after the selection changed (or went).
void notifyCursorMoved(TextBox *box);
void notifySelectionChanged(TextBox *box);
// After the box became read-only or editable again.
void notifyReadOnlyChanged(TextBox *box);

// The event notifyTextChanged sends, null for no change: an insert, a removal or an update,
// carrying the whole inserted and removed texts. Qt's AT-SPI bridge sends each text with its
// length taken from the string, and has no event for a change without its text; the texts are
// read from the trees only while a screen reader listens.
std::unique_ptr<QAccessibleTextCursorEvent> textChangeEvent(TextBox *box, qsizetype position,
                                                            const PieceTree &before,
                                                            qsizetype removed, qsizetype inserted);

// The bridge sends an event's text in one D-Bus message; D-Bus caps a message at 128 MiB, a bus
// may set less (32 MiB is dbus-daemon's own default), and the bus drops the connection of a
// program that passes its limit, which would leave the screen reader without the box. So a change
// with more than piece units on a side is told as removals, then insertions, of at most piece units
// each, never ending inside a surrogate pair: a client that applies them in turn stays in step.
// send gets each event in order; a change within a piece is the one event above.
constexpr qsizetype AccessibleEventPiece = 4 * 1024 * 1024; // at most 12 MiB of UTF-8
void sendTextChange(TextBox *box, qsizetype position, const PieceTree &before, qsizetype removed,
                    qsizetype inserted,
                    const std::function<void(QAccessibleTextCursorEvent &)> &send,
                    qsizetype piece = AccessibleEventPiece);
