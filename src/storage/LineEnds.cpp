// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/LineEnds.h"

std::optional<LineEnd> firstLineEnd(QStringView text)
{
    // A text without CR is searched only once; one with lines is searched only up to its first.
    const qsizetype lf = text.indexOf(u'\n');
    const qsizetype cr = (lf < 0 ? text : text.first(lf)).indexOf(u'\r');
    if (cr < 0)
        return lf < 0 ? std::nullopt : std::optional<LineEnd>(LineEnd::Lf);
    return cr + 1 == lf ? LineEnd::CrLf : LineEnd::Cr;
}
