// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/DistinctCharacters.h"

void DistinctCharacters::add(char32_t codePoint, QStringView units)
{
    if (m_seen.contains(codePoint))
        return;
    m_seen.insert(codePoint);
    m_text.append(units);
}
