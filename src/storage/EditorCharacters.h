// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Characters that do not come back unchanged from a QPlainTextEdit (measured with Qt 6.4):
// CR and U+2029 turn into paragraph breaks, and U+FDD0 and U+FDD1 are taken as frame markers.
bool editorCanHold(char32_t codePoint);

// Those found in text, once each, in order of first appearance; empty when there are none.
QString charactersEditorCannotHold(QStringView text);
