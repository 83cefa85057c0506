// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbox/TextBoxAccessible.h"

#include "textbox/AccessibleTextItems.h"
#include "textbox/TextBox.h"

#include <limits>

namespace {

using accessibletextitems::Span;

int toInt(qsizetype value)
{
    return int(std::min<qsizetype>(value, std::numeric_limits<int>::max()));
}

QString spanText(const TextBox &box, const Span &span, int *startOffset, int *endOffset)
{
    *startOffset = toInt(span.start);
    *endOffset = toInt(span.end);
    return span.isValid() ? box.text().text(span.start, span.end - span.start) : QString();
}

QAccessibleInterface *createTextBoxAccessible(const QString &className, QObject *object)
{
    auto *const box = qobject_cast<TextBox *>(object);
    if (!box || className != QLatin1String(TextBox::staticMetaObject.className()))
        return nullptr;
    // Qt keeps the interface in its cache and deletes it with the box.
    return new TextBoxAccessible(box);
}

} // namespace

TextBoxAccessible::TextBoxAccessible(TextBox *box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{}

TextBox *TextBoxAccessible::textBox() const
{
    return static_cast<TextBox *>(widget());
}

QAccessible::State TextBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.multiLine = true;
    state.selectableText = true;
    if (textBox()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    return state;
}

QString TextBoxAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return textBox()->text().text(0, ValueLimit);
    return QAccessibleWidget::text(type);
}

void TextBoxAccessible::setText(QAccessible::Text type, const QString &text)
{
    if (type == QAccessible::Value)
        replaceText(0, std::numeric_limits<int>::max(), text);
    else
        QAccessibleWidget::setText(type, text);
}

void *TextBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    const PieceTree &text = textBox()->text();
    // AT-SPI asks for the text up to -1 to mean all of it.
    const qsizetype start = std::clamp<qsizetype>(startOffset, 0, text.length());
    const qsizetype end =
        endOffset == -1 ? text.length() : std::clamp<qsizetype>(endOffset, start, text.length());
    return text.text(start, end - start);
}

int TextBoxAccessible::characterCount() const
{
    return toInt(textBox()->text().length());
}

QString TextBoxAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int *startOffset, int *endOffset) const
{
    return spanText(*textBox(), accessibletextitems::at(*textBox(), offset, boundaryType),
                    startOffset, endOffset);
}

QString TextBoxAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    return spanText(*textBox(), accessibletextitems::before(*textBox(), offset, boundaryType),
                    startOffset, endOffset);
}

QString TextBoxAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int *startOffset, int *endOffset) const
{
    return spanText(*textBox(), accessibletextitems::after(*textBox(), offset, boundaryType),
                    startOffset, endOffset);
}

// Plain text: one run without attributes covers it all.
QString TextBoxAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    const bool inside = offset >= 0 && offset <= characterCount();
    *startOffset = inside ? 0 : -1;
    *endOffset = inside ? characterCount() : -1;
    return QString();
}

int TextBoxAccessible::cursorPosition() const
{
    return toInt(textBox()->cursorPosition());
}

void TextBoxAccessible::setCursorPosition(int position)
{
    textBox()->setCursorPosition(position);
}

int TextBoxAccessible::selectionCount() const
{
    return textBox()->hasSelection() ? 1 : 0;
}

void TextBoxAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    const bool exists = selectionIndex == 0 && textBox()->hasSelection();
    *startOffset = exists ? toInt(textBox()->selectionStart()) : 0;
    *endOffset = exists ? toInt(textBox()->selectionEnd()) : 0;
}

void TextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        textBox()->setSelection(startOffset, endOffset);
}

// There is only ever one selection, which a new one replaces.
void TextBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextBoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0 && textBox()->hasSelection())
        textBox()->setCursorPosition(textBox()->cursorPosition());
}

// The box of the character's glyphs, in right-to-left text as much as in left-to-right; where
// there are none (a line break), the caret's place before it. Empty when it is not shown.
QRect TextBoxAccessible::characterRect(int offset) const
{
    TextBox *const box = textBox();
    if (offset < 0 || offset > box->text().length())
        return {};
    const QRect caret = box->cursorRect(offset);
    if (caret.isEmpty())
        return {};
    const qsizetype next = box->boundaries().nextCharacter(offset);
    const QRect glyphs = next > offset ? box->characterRect(offset, next) : QRect();
    const QRect rect = glyphs.isEmpty() ? caret : glyphs;
    return QRect(box->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    const QWidget *const viewport = textBox()->viewport();
    const QPoint local = viewport->mapFromGlobal(point);
    return viewport->rect().contains(local) ? toInt(textBox()->characterAt(local)) : -1;
}

// The view follows the caret: taking it to the end first and then to the start shows both when
// they fit on screen together.
void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    textBox()->setCursorPosition(endIndex);
    textBox()->setCursorPosition(startIndex);
}

void TextBoxAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void TextBoxAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

// Through the box's own editing, so that Undo takes it back.
void TextBoxAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    textBox()->replaceText(startOffset, endOffset, text);
}

void installTextBoxAccessibleFactory()
{
    // Qt installs a factory only once.
    QAccessible::installFactory(createTextBoxAccessible);
}
