// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/EditorFont.h"

#include <QFontDatabase>

QFont editorFont()
{
    const QString designFamily = QStringLiteral("MS Sans Serif");
    QFont font = QFontDatabase::hasFamily(designFamily)
                     ? QFont(designFamily)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // No style hint of its own: Qt looks up the fallback fonts of a family once per hint, and the
    // desktop's font has already been looked up without one; a second search costs several per
    // cent of the start-up time.
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}
