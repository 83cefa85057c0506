// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/TextSlices.h"

#include <QList>

#include <utility>

namespace {

// Once this many characters have been copied into slices, the text gives back its tail, so a
// large text and its slices are never both held whole.
constexpr qsizetype ShrinkEvery = 4 * 1024 * 1024;

qsizetype sliceEnd(const QString &text, qsizetype start, qsizetype sliceLength)
{
    const qsizetype limit = start + sliceLength;
    if (limit >= text.size())
        return text.size();
    const qsizetype lineEnd = text.lastIndexOf(u'\n', limit - 1);
    if (lineEnd >= start)
        return lineEnd + 1;
    // One line longer than a slice: cut it anywhere but inside a surrogate pair.
    return text.at(limit - 1).isHighSurrogate() ? limit + 1 : limit;
}

} // namespace

QStringList cutIntoSlices(QString &&text, qsizetype sliceLength)
{
    QString whole = std::move(text);
    sliceLength = std::max<qsizetype>(sliceLength, 2);
    QList<qsizetype> starts;
    for (qsizetype start = 0; start < whole.size(); start = sliceEnd(whole, start, sliceLength))
        starts.append(start);

    // Cut from the back, so that the text can shrink as its end is copied out.
    QStringList slices(starts.size());
    qsizetype copiedSinceShrink = 0;
    for (qsizetype index = starts.size() - 1; index >= 0; --index) {
        const qsizetype start = starts.at(index);
        slices[index] = whole.sliced(start);
        copiedSinceShrink += whole.size() - start;
        whole.truncate(start);
        if (copiedSinceShrink >= ShrinkEvery) {
            whole.squeeze();
            copiedSinceShrink = 0;
        }
    }
    return slices;
}
