// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextBox.h"

#include "textbox/TextBoxAccessible.h"
#include "textbox/TextMimeData.h"
#include "textbox/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>
#include <QTimerEvent>

#include <algorithm>
#include <utility>

namespace {
// How long the background work on a long line's rows may hold the event loop at a time.
constexpr int IndexingBudgetMs = 3;

// The keys with modifiers that the box takes before the window's shortcuts do.
constexpr QKeySequence::StandardKey OwnShortcuts[] = {
    QKeySequence::Copy,
    QKeySequence::Paste,
    QKeySequence::Cut,
    QKeySequence::Undo,
    QKeySequence::Redo,
    QKeySequence::SelectAll,
    QKeySequence::Delete,
    QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteEndOfWord,
    QKeySequence::DeleteEndOfLine,
    QKeySequence::MoveToNextWord,
    QKeySequence::MoveToPreviousWord,
    QKeySequence::SelectNextWord,
    QKeySequence::SelectPreviousWord,
    QKeySequence::MoveToStartOfDocument,
    QKeySequence::MoveToEndOfDocument,
    QKeySequence::SelectStartOfDocument,
    QKeySequence::SelectEndOfDocument,
};
} // namespace

TextBox::TextBox(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_view(std::make_unique<TextView>(m_text, m_boundaries))
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    // Drops arrive at the viewport and come on from there.
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    m_view->rows().setFont(font());
    installTextBoxAccessibleFactory();
    connect(&m_document, &TextDocument::changed, this, &TextBox::documentChanged);
    connect(this, &TextBox::cursorPositionChanged, this, [this] { notifyCursorMoved(this); });
    connect(this, &TextBox::selectionChanged, this, [this] { notifySelectionChanged(this); });
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
    m_view->rows().setPreedit(-1, QString());
    m_document.setText(std::move(text));
    m_view->setTop(0);
    emit undoAvailable(false);
    emit redoAvailable(false);
    placeCaret(0, 0);
}

void TextBox::setReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
    notifyReadOnlyChanged(this);
    viewport()->update();
}

QString TextBox::selectedText() const
{
    return m_text.text(selectionStart(), selectionEnd() - selectionStart());
}

void TextBox::insertText(const QString &text)
{
    replace(selectionStart(), selectionEnd(), withOwnLineEnds(text), EditKind::Other);
}

void TextBox::replace(qsizetype from, qsizetype to, const QString &text, EditKind kind)
{
    if (m_readOnly || (from == to && text.isEmpty()))
        return;
    edit(from, to, text, kind);
    placeCaret(from + text.size(), from + text.size());
}

void TextBox::edit(qsizetype from, qsizetype to, const QString &text, EditKind kind)
{
    const bool couldUndo = m_document.canUndo();
    const bool couldRedo = m_document.canRedo();
    m_document.replace(from, to - from, text, kind, caretState());
    if (!couldUndo)
        emit undoAvailable(true);
    if (couldRedo)
        emit redoAvailable(false);
}

void TextBox::removeSelection(EditKind kind)
{
    replace(selectionStart(), selectionEnd(), QString(), kind);
}

// Pasted and dropped text takes the text's own line ends, so that a file keeps one style.
QString TextBox::withOwnLineEnds(const QString &text) const
{
    const QString &lineEnd = m_document.lineEnd();
    if (!text.contains(u'\r') && (lineEnd == u"\n" || !text.contains(u'\n')))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            result += lineEnd;
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            result += c;
        }
    }
    return result;
}

// Every change comes here once, whoever made it: the rows and the top row follow the change, the
// caret and anchor keep to the text they were in until the edit places them, and screen readers
// hear of the range that changed.
void TextBox::documentChanged(const TextChange &change)
{
    m_view->edited(change.position, change.removed, change.inserted);
    m_edited = true;
    m_cursor = change.mapped(m_cursor);
    m_anchor = change.mapped(m_anchor);
    m_goalX = -1;
    notifyTextChanged(this, change.position, m_document.textBefore(), change.removed,
                      change.inserted);
    emit textChanged();
}

void TextBox::undo()
{
    if (!m_readOnly && m_document.canUndo())
        showStep(m_document.undo());
}

void TextBox::redo()
{
    if (!m_readOnly && m_document.canRedo())
        showStep(m_document.redo());
}

void TextBox::copy()
{
    if (hasSelection())
        QGuiApplication::clipboard()->setMimeData(
            mimeDataFor(m_text, selectionStart(), selectionEnd()).release());
}

void TextBox::cut()
{
    if (m_readOnly || !hasSelection())
        return;
    copy();
    removeSelection(EditKind::Other);
}

void TextBox::paste()
{
    pasteFrom(QClipboard::Clipboard);
}

void TextBox::pasteFrom(QClipboard::Mode mode)
{
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (!m_readOnly && !text.isEmpty())
        insertText(text);
}

// Select All is the user's own selection, whoever asks for it: it becomes the primary selection.
void TextBox::selectAll()
{
    const QScopedValueRollback<bool> byUser(m_byUser, true);
    setSelection(0, m_text.length());
}

void TextBox::clear()
{
    if (!m_readOnly)
        replace(0, m_text.length(), QString(), EditKind::Other);
}

void TextBox::setPrimarySelection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(mimeDataFor(m_text, selectionStart(), selectionEnd()).release(),
                               QClipboard::Selection);
}

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

bool TextBox::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys the box handles itself win over the window's shortcuts, as in any text box.
        auto *key = static_cast<QKeyEvent *>(event);
        const bool editingKey = std::any_of(
            std::begin(OwnShortcuts), std::end(OwnShortcuts),
            [key](QKeySequence::StandardKey standard) { return key->matches(standard); });
        if (editingKey || key->modifiers() == Qt::NoModifier ||
            key->modifiers() == Qt::ShiftModifier) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
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

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu(this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
