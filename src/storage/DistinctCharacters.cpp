// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/DistinctCharacters.h"

void DistinctCharacters::add(char32_t codePoint)
{
    if (m_seen.contains(codePoint))
        return;
    m_seen.insert(codePoint);
    if (QChar::requiresSurrogates(codePoint)) {
        m_text.append(QChar(QChar::highSurrogate(codePoint)));
        m_text.append(QChar(QChar::lowSurrogate(codePoint)));
    } else {
        m_text.append(QChar(char16_t(codePoint)));
    }
}
