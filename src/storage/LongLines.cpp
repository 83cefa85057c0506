// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/LongLines.h"

#include <algorithm>

qsizetype longestLineLength(QStringView text)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    return longest;
}
