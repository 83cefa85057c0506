// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/EditorText.h"

#include <QPlainTextEdit>
#include <QTextDocument>

void setEditorText(QPlainTextEdit &editor, const QString &text)
{
    editor.setPlainText(text);
}

QString editorText(const QPlainTextEdit &editor)
{
    QString text = editor.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

QString editorRawText(const QPlainTextEdit &editor)
{
    return editor.document()->toRawText();
}
