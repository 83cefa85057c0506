// SPDX-License-Identifier: GPL-3.0-or-later
// The box itself: its text, its edits, undo and redo, and the keys it takes before the window.
#include "textbox/TextBox.h"

#include "textbox/TextBoxAccessible.h"
#include "textbox/TextView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScopedValueRollback>

#include <algorithm>
#include <utility>

namespace {
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

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu(this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
