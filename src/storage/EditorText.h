#pragma once

#include <QString>

class QPlainTextEdit;

// text uses '\n' line ends.
void setEditorText(QPlainTextEdit &editor, const QString &text);

// The editor's text with '\n' line ends, character for character: unlike toPlainText(), it keeps
// no-break spaces and U+2028.
QString editorText(const QPlainTextEdit &editor);
