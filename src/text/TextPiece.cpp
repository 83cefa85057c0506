// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextPiece.h"

#include <QChar>

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace textpiece {

namespace {

bool isBreakUnit(char16_t unit, char16_t next)
{
    return unit == u'\n' || (unit == u'\r' && next != u'\n');
}

#if defined(__SSE2__)
// Counts eight units at a time in 16-bit lanes; this is the whole cost of opening a large file's
// tree, so it has to run at the speed of memory. Leaves the last units to the caller.
qsizetype countBreaksWide(const char16_t *units, qsizetype length, qsizetype &done)
{
    const __m128i lf = _mm_set1_epi16(short(u'\n'));
    const __m128i cr = _mm_set1_epi16(short(u'\r'));
    // Each lane grows by at most one a step: sum up before a lane could overflow.
    constexpr qsizetype StepsPerSum = 0x7fff;
    qsizetype breaks = 0;
    qsizetype i = 0;
    while (i + 8 < length) {
        const qsizetype blockEnd = std::min(length - 8, i + 8 * StepsPerSum);
        __m128i lanes = _mm_setzero_si128();
        for (; i < blockEnd; i += 8) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i + 1));
            const __m128i lonelyCr =
                _mm_andnot_si128(_mm_cmpeq_epi16(next, lf), _mm_cmpeq_epi16(here, cr));
            lanes = _mm_sub_epi16(lanes, _mm_or_si128(_mm_cmpeq_epi16(here, lf), lonelyCr));
        }
        alignas(16) qint32 sums[4];
        _mm_store_si128(reinterpret_cast<__m128i *>(sums),
                        _mm_madd_epi16(lanes, _mm_set1_epi16(1)));
        breaks += qsizetype(sums[0]) + sums[1] + sums[2] + sums[3];
    }
    done = i;
    return breaks;
}
#else
qsizetype countBreaksWide(const char16_t *, qsizetype, qsizetype &done)
{
    done = 0;
    return 0;
}
#endif

bool mustNotCutBefore(const char16_t *units, qsizetype at)
{
    return joinsBreak(units[at - 1], units[at]) ||
           (QChar::isHighSurrogate(units[at - 1]) && QChar::isLowSurrogate(units[at]));
}

TextPiece makePiece(const std::shared_ptr<const void> &owner, const char16_t *units,
                    qsizetype length, qsizetype breaks)
{
    return TextPiece{owner, units, qint32(length), qint32(breaks)};
}

} // namespace

qsizetype countBreaks(const char16_t *units, qsizetype length, char16_t next)
{
    qsizetype done = 0;
    qsizetype breaks = countBreaksWide(units, length, done);
    for (qsizetype i = done; i < length; ++i)
        breaks += isBreakUnit(units[i], i + 1 < length ? units[i + 1] : next);
    return breaks;
}

qsizetype headBreaks(const TextPiece &piece, qsizetype length)
{
    if (length <= 0)
        return 0;
    if (length >= piece.length)
        return piece.breaks;
    if (length * 2 <= piece.length)
        return countBreaks(piece.units, length);
    // Taken apart, the tail loses nothing and the head gains a break when a CR LF is cut.
    return piece.breaks - countBreaks(piece.units + length, piece.length - length) +
           joinsBreak(piece.units[length - 1], piece.units[length]);
}

std::pair<TextPiece, TextPiece> cut(const TextPiece &piece, qsizetype at)
{
    const qsizetype before = headBreaks(piece, at);
    const qsizetype after =
        piece.breaks - before + joinsBreak(piece.units[at - 1], piece.units[at]);
    return {makePiece(piece.owner, piece.units, at, before),
            makePiece(piece.owner, piece.units + at, piece.length - at, after)};
}

TextPiece extended(const TextPiece &piece, qsizetype extraLength)
{
    const char16_t *extra = piece.end();
    const qsizetype breaks =
        piece.breaks + countBreaks(extra, extraLength) - joinsBreak(piece.last(), extra[0]);
    return makePiece(piece.owner, piece.units, piece.length + extraLength, breaks);
}

std::vector<TextPiece> cutIntoPieces(const std::shared_ptr<const void> &owner,
                                     const char16_t *units, qsizetype length, qsizetype maxLength)
{
    maxLength = std::clamp<qsizetype>(maxLength, 1, MaximumLength);
    std::vector<TextPiece> pieces;
    pieces.reserve(size_t(length / maxLength + 1));
    qsizetype start = 0;
    while (start < length) {
        qsizetype end = std::min(length, start + maxLength);
        if (end < length && end - start > 1 && mustNotCutBefore(units, end))
            --end;
        pieces.push_back(
            makePiece(owner, units + start, end - start, countBreaks(units + start, end - start)));
        start = end;
    }
    return pieces;
}

} // namespace textpiece
