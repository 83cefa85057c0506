// SPDX-License-Identifier: GPL-3.0-or-later
// Input methods: composing text at the caret, committing it, and answering the queries they make.
// Positions are UTF-16 offsets. The surrounding text is a window around the caret, not the whole
// line, so a query costs the same in a line of a million characters.
#include "text/TextBoundaries.h"
#include "textbox/TextBox.h"
#include "textbox/TextView.h"

#include <QGuiApplication>
#include <QInputMethod>
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
    // Where the surrounding text the input method last saw starts: its offsets count from there.
    // An edit at the caret leaves the text before it as it was.
    const qsizetype windowStart = std::max<qsizetype>(0, m_cursor - SurroundingReach);
    const QString preedit = event->preeditString();
    const bool replacing = event->replacementLength() > 0 || event->replacementStart() != 0;
    const bool composing = preedit != m_view->rows().preedit();
    if (!event->commitString().isEmpty() || replacing) {
        qsizetype from = selectionStart();
        qsizetype to = selectionEnd();
        if (replacing && !hasSelection()) {
            // Whole code points only, whatever offsets the input method sends.
            from =
                TextBoundaries::codePointEdge(m_text, m_cursor + event->replacementStart(), false);
            to = TextBoundaries::codePointEdge(
                m_text, std::max(from, from + event->replacementLength()), true);
        }
        replace(from, to, event->commitString(), EditKind::Other);
    } else if (composing && hasSelection()) {
        // Composing over a selection replaces it, as typing does: it goes as the preedit starts.
        removeSelection(EditKind::Other);
    }
    // The caret is shown after the uncommitted text, wherever the input method puts its own.
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Selection && preedit.isEmpty())
            placeSelection(windowStart + attribute.start,
                           windowStart + attribute.start + attribute.length);
    }
    m_view->rows().setPreedit(m_cursor, preedit);
    viewport()->update();
    updateMicroFocus();
    event->accept();
}

// The caret moves by other means than the input method (a click, a key the input method let
// through, a screen reader): what is being composed is committed first, or dropped by an input
// method that cannot commit, so that it is neither left drawn at the old place nor continued at
// the new one.
TextBox::Commit TextBox::commitPreedit()
{
    const qsizetype composedAt = m_view->rows().preeditPosition();
    if (composedAt < 0)
        return {};
    const qsizetype lengthBefore = m_text.length();
    QGuiApplication::inputMethod()->commit();
    if (m_view->rows().preeditPosition() >= 0) {
        m_view->rows().setPreedit(-1, QString());
        viewport()->update();
    }
    return {composedAt, m_text.length() - lengthBefore};
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
