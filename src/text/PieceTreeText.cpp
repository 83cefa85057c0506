// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/PieceTreeText.h"

#include <QChar>

#include <algorithm>
#include <limits>

namespace {

// ICU counts in 32 bits: for it a longer text ends there.
constexpr int64_t LongestText = std::numeric_limits<int32_t>::max();

// Room for the two units of a surrogate pair that two pieces cut.
constexpr int32_t PairSpace = 2 * sizeof(char16_t);

const PieceTree &treeOf(const UText *text)
{
    return *static_cast<const PieceTree *>(text->context);
}

int64_t U_CALLCONV nativeLength(UText *text)
{
    return std::min<int64_t>(treeOf(text).length(), LongestText);
}

void setChunk(UText *text, qsizetype start, const char16_t *units, qsizetype length)
{
    text->chunkContents = reinterpret_cast<const UChar *>(units);
    text->chunkNativeStart = start;
    text->chunkNativeLimit = start + length;
    text->chunkLength = int32_t(length);
    text->nativeIndexingLimit = int32_t(length);
    text->chunkOffset = 0;
}

// The chunk that holds the unit at offset (inside the text): its piece, less a half of a
// surrogate pair at either end that the next piece completes; such a pair is a chunk of its own.
void setChunkHolding(UText *text, qsizetype offset)
{
    const PieceTree &tree = treeOf(text);
    const PieceTree::Piece piece = tree.pieceAt(offset);
    qsizetype start = piece.start;
    qsizetype end = start + piece.units.size();
    const bool cutAtStart =
        piece.units.front().isLowSurrogate() && start > 0 && tree.at(start - 1).isHighSurrogate();
    const bool cutAtEnd = piece.units.back().isHighSurrogate() && tree.at(end).isLowSurrogate();
    if ((cutAtStart && offset == start) || (cutAtEnd && offset == end - 1)) {
        const qsizetype pairStart = offset == start && cutAtStart ? start - 1 : end - 1;
        auto *const pair = static_cast<char16_t *>(text->pExtra);
        pair[0] = tree.at(pairStart).unicode();
        pair[1] = tree.at(pairStart + 1).unicode();
        setChunk(text, pairStart, pair, 2);
        return;
    }
    start += cutAtStart;
    end -= cutAtEnd;
    setChunk(text, start, piece.units.utf16() + (start - piece.start), end - start);
}

bool holds(const UText *text, int64_t index, bool forward)
{
    return forward ? index >= text->chunkNativeStart && index < text->chunkNativeLimit
                   : index > text->chunkNativeStart && index <= text->chunkNativeLimit;
}

// Leaves the iteration at index; true when there is text after it (forward) or before it.
UBool U_CALLCONV access(UText *text, int64_t index, UBool forward)
{
    const int64_t length = nativeLength(text);
    index = std::clamp<int64_t>(index, 0, length);
    const bool inside = forward ? index < length : index > 0;
    if (!holds(text, index, forward)) {
        if (length == 0) {
            setChunk(text, 0, u"", 0);
            return false;
        }
        // Out of the text, the chunk at its end: ICU keeps a chunk to stand in.
        setChunkHolding(text,
                        forward ? std::min(index, length - 1) : std::max<int64_t>(index - 1, 0));
    }
    text->chunkOffset = int32_t(index - text->chunkNativeStart);
    return inside;
}

int32_t U_CALLCONV extract(UText *text, int64_t start, int64_t limit, UChar *destination,
                           int32_t capacity, UErrorCode *status)
{
    if (U_FAILURE(*status))
        return 0;
    if (capacity < 0 || (destination == nullptr && capacity > 0) || start > limit) {
        *status = U_ILLEGAL_ARGUMENT_ERROR;
        return 0;
    }
    const int64_t length = nativeLength(text);
    start = std::clamp<int64_t>(start, 0, length);
    limit = std::clamp<int64_t>(limit, start, length);
    qsizetype copied = 0;
    treeOf(text).forEachChunk(start, limit - start, [&](QStringView chunk) {
        const qsizetype count = std::min<qsizetype>(chunk.size(), capacity - copied);
        std::copy_n(chunk.utf16(), count, destination + copied);
        copied += count;
        return copied < capacity;
    });
    access(text, limit, true);
    const int32_t extracted = int32_t(limit - start);
    // NUL-terminated where there is room, as ICU's own texts do.
    if (extracted < capacity)
        destination[extracted] = 0;
    else if (extracted == capacity)
        *status = U_STRING_NOT_TERMINATED_WARNING;
    else
        *status = U_BUFFER_OVERFLOW_ERROR;
    return extracted;
}

UText *U_CALLCONV clone(UText *destination, const UText *source, UBool deep, UErrorCode *status)
{
    if (U_FAILURE(*status))
        return destination;
    if (deep) {
        *status = U_UNSUPPORTED_ERROR;
        return destination;
    }
    destination = utext_setup(destination, PairSpace, status);
    if (U_FAILURE(*status))
        return destination;
    destination->pFuncs = source->pFuncs;
    destination->context = source->context;
    std::copy_n(static_cast<const char16_t *>(source->pExtra), 2,
                static_cast<char16_t *>(destination->pExtra));
    const bool inPair = source->chunkContents == source->pExtra;
    destination->chunkContents =
        inPair ? static_cast<const UChar *>(destination->pExtra) : source->chunkContents;
    destination->chunkNativeStart = source->chunkNativeStart;
    destination->chunkNativeLimit = source->chunkNativeLimit;
    destination->chunkLength = source->chunkLength;
    destination->chunkOffset = source->chunkOffset;
    destination->nativeIndexingLimit = source->nativeIndexingLimit;
    return destination;
}

constexpr UTextFuncs PieceTreeFunctions = {
    sizeof(UTextFuncs),
    0,
    0,
    0,
    clone,
    nativeLength,
    access,
    extract,
    nullptr, // replace: the text is read only
    nullptr, // copy
    nullptr, // mapOffsetToNative: native indexes are UTF-16 offsets
    nullptr, // mapNativeIndexToUTF16
    nullptr, // close: nothing is owned
    nullptr,
    nullptr,
    nullptr,
};

} // namespace

PieceTreeText::~PieceTreeText()
{
    if (m_text.pFuncs)
        utext_close(&m_text);
}

UText *PieceTreeText::over(const PieceTree &text)
{
    // Set up on first use: a note nobody steps through asks nothing of ICU.
    if (!m_text.pFuncs) {
        UErrorCode status = U_ZERO_ERROR;
        utext_setup(&m_text, PairSpace, &status);
        m_text.pFuncs = &PieceTreeFunctions;
    }
    m_text.context = &text;
    setChunk(&m_text, 0, u"", 0);
    access(&m_text, 0, true);
    return &m_text;
}
