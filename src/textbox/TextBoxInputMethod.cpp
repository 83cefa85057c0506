// SPDX-License-Identifier: GPL-3.0-or-later
// Input methods: composing text at the caret, committing it, and answering the queries they make.
// Positions are UTF-16 offsets. The surrounding text is a window around the caret, not the whole
// line, so a query costs the same in a line of a million characters.
#include "text/TextBoundaries.h"
#include "textbox/TextBox.h"
#include "textbox/TextView.h"

#include <QInputMethodEvent>

namespace {
constexpr qsizetype SurroundingReach = 1024;
} // namespace

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    const bool replacing = event->replacementLength() > 0 || event->replacementStart() != 0;
    if (!event->commitString().isEmpty() || replacing) {
        qsizetype from = selectionStart();
        qsizetype to = selectionEnd();
        if (replacing && !hasSelection()) {
            // Whole characters only, whatever offsets the input method sends.
            from =
                textboundaries::characterEdge(m_text, m_cursor + event->replacementStart(), false);
            to = textboundaries::characterEdge(
                m_text, std::max(from, from + event->replacementLength()), true);
        }
        replace(from, to, event->commitString(), EditKind::Other);
    }
    // The caret is shown after the uncommitted text, wherever the input method puts its own.
    const QString preedit = event->preeditString();
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Selection && preedit.isEmpty())
            setSelection(attribute.start, attribute.start + attribute.length);
    }
    m_view->rows().setPreedit(m_cursor, preedit);
    viewport()->update();
    updateMicroFocus();
    event->accept();
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const qsizetype windowStart = std::max<qsizetype>(0, m_cursor - SurroundingReach);
    const qsizetype windowEnd = std::min(m_text.length(), m_cursor + SurroundingReach);
    const QPoint offset = viewport()->pos();
    switch (query) {
    case Qt::ImEnabled:
        return !m_readOnly;
    case Qt::ImReadOnly:
        return m_readOnly;
    case Qt::ImHints:
        return int(inputMethodHints() | Qt::ImhMultiLine);
    case Qt::ImCursorRectangle:
        return QRectF(cursorRect(m_cursor).translated(offset));
    case Qt::ImAnchorRectangle:
        return QRectF(cursorRect(m_anchor).translated(offset));
    case Qt::ImInputItemClipRectangle:
        return QRectF(viewport()->geometry());
    case Qt::ImFont:
        return font();
    case Qt::ImAbsolutePosition:
        return m_cursor;
    case Qt::ImCursorPosition:
        return m_cursor - windowStart;
    case Qt::ImAnchorPosition:
        return std::clamp(m_anchor, windowStart, windowEnd) - windowStart;
    case Qt::ImSurroundingText:
        return m_text.text(windowStart, windowEnd - windowStart);
    case Qt::ImTextBeforeCursor:
        return m_text.text(windowStart, m_cursor - windowStart);
    case Qt::ImTextAfterCursor:
        return m_text.text(m_cursor, windowEnd - m_cursor);
    case Qt::ImCurrentSelection: {
        const qsizetype start = std::max(selectionStart(), windowStart);
        const qsizetype end = std::min(selectionEnd(), windowEnd);
        return m_text.text(start, std::max<qsizetype>(0, end - start));
    }
    case Qt::ImMaximumTextLength:
        return QVariant();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}
