// SPDX-License-Identifier: GPL-3.0-or-later
// What the box shows: painting, the caret's blink, the view following the caret, the background
// work on a long line's rows, and places on screen for input methods and screen readers.
#include "textbox/TextBox.h"
#include "textbox/TextView.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

namespace {
// How long the background work on a long line's rows may hold the event loop at a time.
constexpr int IndexingBudgetMs = 3;
} // namespace

QRect TextBox::cursorRect(qsizetype position) const
{
    return m_view->caretRect(position).toAlignedRect();
}

QRect TextBox::characterRect(qsizetype start, qsizetype end) const
{
    // Edges rounded, not widened: characters side by side stay side by side.
    const QRectF rect = m_view->characterRect(start, end);
    if (rect.isEmpty())
        return {};
    return QRect(QPoint(qRound(rect.left()), qRound(rect.top())),
                 QPoint(qRound(rect.right()) - 1, qRound(rect.bottom()) - 1));
}

qsizetype TextBox::positionAt(const QPoint &point) const
{
    return m_view->positionAt(point);
}

qsizetype TextBox::characterAt(const QPoint &point) const
{
    return m_view->characterAt(point);
}

std::pair<qsizetype, qsizetype> TextBox::rowAt(qsizetype position) const
{
    return m_view->rowAt(position);
}

// The view follows the caret, and repaints.
void TextBox::viewChanged()
{
    m_view->ensureVisible(m_cursor);
    m_view->rows().trim();
    scheduleIndexing();
    viewport()->update();
    updateMicroFocus();
}

void TextBox::scheduleIndexing()
{
    if (!m_view->rows().isExactAt(m_cursor) || !m_view->rows().isExactAt(m_view->top()))
        m_indexing.start(0, this);
}

// Builds the exact rows of a long line towards the caret and the top of the view, a little at a
// time, and then moves the view onto them.
void TextBox::extendIndex()
{
    TextRows &rows = m_view->rows();
    const bool caretPending = rows.extendIndexTowards(m_cursor, IndexingBudgetMs);
    const bool topPending = rows.extendIndexTowards(m_view->top(), IndexingBudgetMs);
    if (caretPending || topPending)
        return;
    m_indexing.stop();
    m_view->setTop(rows.rowStartFor(m_view->top()));
    viewChanged();
}

void TextBox::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_caretBlink.timerId()) {
        m_caretShown = !m_caretShown;
        const QRect caret = cursorRect();
        if (!caret.isEmpty())
            viewport()->update(caret);
    } else if (event->timerId() == m_indexing.timerId()) {
        extendIndex();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void TextBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    m_view->rows().trim();
    const bool caretShown = hasFocus() && m_caretShown && !hasSelection() && !m_readOnly;
    m_view->paint(painter, palette(), event->rect(), {selectionStart(), selectionEnd()}, m_cursor,
                  caretShown);
}

void TextBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_view->setViewportSize(viewport()->size());
    viewChanged();
}

void TextBox::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_view->rows().setFont(font());
        viewChanged();
    } else if (event->type() == QEvent::PaletteChange) {
        viewport()->update();
    }
}

void TextBox::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartCaretBlink();
    viewport()->update();
}

void TextBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_caretBlink.stop();
    viewport()->update();
}
