// SPDX-License-Identifier: GPL-3.0-or-later
// The clipboard and the X primary selection: copy, cut and paste, and the line ends pasted text
// takes.
#include "textbox/TextBox.h"
#include "textbox/TextMimeData.h"

#include <QClipboard>
#include <QGuiApplication>

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

void TextBox::setPrimarySelection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(mimeDataFor(m_text, selectionStart(), selectionEnd()).release(),
                               QClipboard::Selection);
}
