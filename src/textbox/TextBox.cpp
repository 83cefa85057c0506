// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextBox.h"

// Skeleton: the real implementation follows.
class TextView {};
TextBox::TextBox(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}
TextBox::~TextBox() = default;
QString TextBox::toPlainText() const
{
    return m_text.toString();
}
void TextBox::setPlainText(const QString &text)
{
    setText(PieceTree(text));
}
void TextBox::setText(PieceTree text)
{
    m_text = std::move(text);
    m_cursor = m_anchor = 0;
    m_history.clear();
    emit textChanged();
}
void TextBox::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
}
QString TextBox::selectedText() const
{
    return m_text.text(selectionStart(), selectionEnd() - selectionStart());
}
void TextBox::setCursorPosition(qsizetype position, bool keepAnchor)
{
    m_cursor = position;
    if (!keepAnchor)
        m_anchor = position;
}
void TextBox::setSelection(qsizetype anchor, qsizetype cursor)
{
    m_anchor = anchor;
    m_cursor = cursor;
}
void TextBox::insertText(const QString &text)
{
    const TextState before{m_text, m_cursor, m_anchor};
    m_text = m_text.removed(selectionStart(), selectionEnd() - selectionStart())
                 .inserted(selectionStart(), text);
    m_cursor = m_anchor = selectionStart() + text.size();
    m_history.record(before, {m_text, m_cursor, m_anchor}, EditKind::Other, before.cursor, 0,
                     text.size());
    emit textChanged();
}
QRect TextBox::cursorRect(qsizetype) const
{
    return {};
}
qsizetype TextBox::positionAt(const QPoint &) const
{
    return 0;
}
std::pair<qsizetype, qsizetype> TextBox::rowAt(qsizetype position) const
{
    return {position, position};
}
QMenu *TextBox::createStandardContextMenu(QWidget *)
{
    return nullptr;
}
void TextBox::undo()
{}
void TextBox::redo()
{}
void TextBox::cut()
{}
void TextBox::copy()
{}
void TextBox::paste()
{}
void TextBox::selectAll()
{}
void TextBox::clear()
{
    setPlainText(QString());
}
bool TextBox::event(QEvent *event)
{
    return QAbstractScrollArea::event(event);
}
void TextBox::paintEvent(QPaintEvent *)
{}
void TextBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
}
void TextBox::keyPressEvent(QKeyEvent *event)
{
    QAbstractScrollArea::keyPressEvent(event);
}
void TextBox::mousePressEvent(QMouseEvent *)
{}
void TextBox::mouseMoveEvent(QMouseEvent *)
{}
void TextBox::mouseReleaseEvent(QMouseEvent *)
{}
void TextBox::mouseDoubleClickEvent(QMouseEvent *)
{}
void TextBox::wheelEvent(QWheelEvent *)
{}
void TextBox::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
}
void TextBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
}
void TextBox::contextMenuEvent(QContextMenuEvent *)
{}
void TextBox::inputMethodEvent(QInputMethodEvent *)
{}
QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery) const
{
    return {};
}
void TextBox::dragEnterEvent(QDragEnterEvent *)
{}
void TextBox::dragMoveEvent(QDragMoveEvent *)
{}
void TextBox::dropEvent(QDropEvent *)
{}
void TextBox::timerEvent(QTimerEvent *)
{}
void TextBox::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
}
