// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextBox.h"
#include "textbox/TextBoxAccessible.h"

#include <limits>

namespace {

int toInt(qsizetype value)
{
    return int(std::min<qsizetype>(value, std::numeric_limits<int>::max()));
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
    if (const auto event = textChangeEvent(box, position, before, removed, inserted))
        QAccessible::updateAccessibility(event.get());
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
