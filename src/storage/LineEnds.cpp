// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/LineEnds.h"

namespace {

void note(LineEndSummary &summary, LineEnd style)
{
    if (!summary.first)
        summary.first = style;
    else if (*summary.first != style)
        summary.mixed = true;
}

} // namespace

LineEndSummary normalizeLineEnds(QString &text)
{
    LineEndSummary summary;
    const qsizetype firstLf = text.indexOf(u'\n');
    const qsizetype firstCr = text.indexOf(u'\r');
    if (firstLf >= 0 && (firstCr < 0 || firstLf < firstCr))
        note(summary, LineEnd::Lf);
    if (firstCr >= 0) {
        // Only the part from the first CR on can change; the text never grows, so it is
        // compacted where it stands.
        const qsizetype size = text.size();
        char16_t *const units = reinterpret_cast<char16_t *>(text.data());
        qsizetype out = firstCr;
        for (qsizetype in = firstCr; in < size;) {
            const char16_t unit = units[in++];
            if (unit == u'\r') {
                const bool pair = in < size && units[in] == u'\n';
                note(summary, pair ? LineEnd::CrLf : LineEnd::Cr);
                in += pair ? 1 : 0;
                units[out++] = u'\n';
                continue;
            }
            if (unit == u'\n')
                note(summary, LineEnd::Lf);
            units[out++] = unit;
        }
        text.truncate(out);
    }
    summary.endsWithLineEnd = text.endsWith(u'\n');
    return summary;
}
