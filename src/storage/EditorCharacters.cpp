// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/EditorCharacters.h"

#include "storage/DistinctCharacters.h"

bool editorCanHold(char32_t codePoint)
{
    switch (codePoint) {
    case u'\r':
    case QChar::ParagraphSeparator:
    case 0xFDD0: // QTextBeginningOfFrame
    case 0xFDD1: // QTextEndOfFrame
        return false;
    default:
        return true;
    }
}

QString charactersEditorCannotHold(QStringView text)
{
    DistinctCharacters found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (!editorCanHold(unit))
            found.add(unit, text.sliced(i, 1));
    }
    return found.text();
}
