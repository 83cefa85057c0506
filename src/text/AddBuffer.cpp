// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/AddBuffer.h"

#include <algorithm>

bool PieceTree::AddChunk::claimAt(qsizetype offset, qsizetype count)
{
    qsizetype expected = offset;
    return offset + count <= Capacity && m_used.compare_exchange_strong(expected, offset + count);
}

qsizetype PieceTree::AddChunk::claim(qsizetype count)
{
    qsizetype used = m_used.load();
    do {
        if (used + count > Capacity)
            return -1;
    } while (!m_used.compare_exchange_weak(used, used + count));
    return used;
}

void PieceTree::AddChunk::write(qsizetype offset, QStringView text)
{
    std::copy_n(text.utf16(), text.size(), m_units.get() + offset);
}
