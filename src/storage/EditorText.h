// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPlainTextEdit;

// text uses '\n' line ends.
void setEditorText(QPlainTextEdit &editor, const QString &text);

// The editor's text with '\n' line ends, character for character: unlike toPlainText(), it keeps
// no-break spaces and U+2028.
QString editorText(const QPlainTextEdit &editor);
// The editor's text as it holds it, each line break a paragraph separator (U+2029): the one copy
// a save needs, made without a second pass over a large text on the window's thread.
QString editorRawText(const QPlainTextEdit &editor);
