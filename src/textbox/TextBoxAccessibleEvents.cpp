// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextBox.h"
#include "textbox/TextBoxAccessible.h"

#include <limits>

namespace {

int toInt(qsizetype value)
{
    return int(std::min<qsizetype>(value, std::numeric_limits<int>::max()));
}

// At most piece of the left units from offset, never ending between the halves of a pair.
qsizetype pieceLength(const PieceTree &text, qsizetype offset, qsizetype left, qsizetype piece)
{
    if (left <= piece)
        return left;
    const qsizetype end = offset + piece;
    const bool splitsPair = text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate();
    return splitsPair && piece > 1 ? piece - 1 : piece;
}

} // namespace

std::unique_ptr<QAccessibleTextCursorEvent> textChangeEvent(TextBox *box, qsizetype position,
                                                            const PieceTree &before,
                                                            qsizetype removed, qsizetype inserted)
{
    if (removed == 0 && inserted == 0)
        return nullptr;
    // Qt's bridges take the change's length from the text an event carries, so the whole text it
    // is: a client that keeps a copy of the text stays in step.
    const QString removedText = before.text(position, removed);
    const QString insertedText = box->text().text(position, inserted);
    if (removed == 0)
        return std::make_unique<QAccessibleTextInsertEvent>(box, toInt(position), insertedText);
    if (inserted == 0)
        return std::make_unique<QAccessibleTextRemoveEvent>(box, toInt(position), removedText);
    return std::make_unique<QAccessibleTextUpdateEvent>(box, toInt(position), removedText,
                                                        insertedText);
}

void notifyTextChanged(TextBox *box, qsizetype position, const PieceTree &before, qsizetype removed,
                       qsizetype inserted)
{
    if (!QAccessible::isActive())
        return;
    sendTextChange(box, position, before, removed, inserted, [](QAccessibleTextCursorEvent &event) {
        QAccessible::updateAccessibility(&event);
    });
}

void sendTextChange(TextBox *box, qsizetype position, const PieceTree &before, qsizetype removed,
                    qsizetype inserted,
                    const std::function<void(QAccessibleTextCursorEvent &)> &send, qsizetype piece)
{
    if (removed <= piece && inserted <= piece) {
        if (const auto event = textChangeEvent(box, position, before, removed, inserted))
            send(*event);
        return;
    }
    // Each removal takes the next piece of the old text from the same place.
    for (qsizetype done = 0; done < removed;) {
        const qsizetype length = pieceLength(before, position + done, removed - done, piece);
        QAccessibleTextRemoveEvent event(box, toInt(position),
                                         before.text(position + done, length));
        send(event);
        done += length;
    }
    const PieceTree &after = box->text();
    for (qsizetype done = 0; done < inserted;) {
        const qsizetype length = pieceLength(after, position + done, inserted - done, piece);
        QAccessibleTextInsertEvent event(box, toInt(position + done),
                                         after.text(position + done, length));
        send(event);
        done += length;
    }
}

void notifyCursorMoved(TextBox *box)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent event(box, toInt(box->cursorPosition()));
    QAccessible::updateAccessibility(&event);
}

void notifySelectionChanged(TextBox *box)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextSelectionEvent event(box, toInt(box->selectionStart()),
                                        toInt(box->selectionEnd()));
    event.setCursorPosition(toInt(box->cursorPosition()));
    QAccessible::updateAccessibility(&event);
}

void notifyReadOnlyChanged(TextBox *box)
{
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.readOnly = true;
    changed.editable = true;
    QAccessibleStateChangeEvent event(box, changed);
    QAccessible::updateAccessibility(&event);
}
