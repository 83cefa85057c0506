// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/PieceTree.h"

#include "text/AddBuffer.h"
#include "text/PieceTreeNode.h"

#include <algorithm>

using piecenodes::NodePtr;

namespace {

// Longer inserts (a large paste) get a buffer of their own instead of filling the add buffer.
constexpr qsizetype LargeInsert = PieceTree::AddChunk::Capacity / 4;

bool isBreakUnit(char16_t unit, char16_t next)
{
    return unit == u'\n' || (unit == u'\r' && next != u'\n');
}

// Whole blocks of a piece are counted fast; only the block that holds the break wanted is walked
// unit by unit.
constexpr qsizetype ScanBlock = 512;

qsizetype afterBreakFromStart(const TextPiece &piece, qsizetype count, char16_t next)
{
    qsizetype start = 0;
    for (; start + ScanBlock < piece.length; start += ScanBlock) {
        const qsizetype breaks =
            textpiece::countBreaks(piece.units + start, ScanBlock, piece.units[start + ScanBlock]);
        if (breaks >= count)
            break;
        count -= breaks;
    }
    for (qsizetype i = start; i < piece.length; ++i) {
        const char16_t following = i + 1 < piece.length ? piece.units[i + 1] : next;
        if (isBreakUnit(piece.units[i], following) && --count == 0)
            return i + 1;
    }
    return piece.length;
}

qsizetype afterBreakFromEnd(const TextPiece &piece, qsizetype countFromEnd, char16_t next)
{
    qsizetype end = piece.length;
    for (; end > ScanBlock; end -= ScanBlock) {
        const char16_t following = end < piece.length ? piece.units[end] : next;
        const qsizetype breaks =
            textpiece::countBreaks(piece.units + end - ScanBlock, ScanBlock, following);
        if (breaks >= countFromEnd)
            break;
        countFromEnd -= breaks;
    }
    for (qsizetype i = end - 1; i >= 0; --i) {
        const char16_t following = i + 1 < piece.length ? piece.units[i + 1] : next;
        if (isBreakUnit(piece.units[i], following) && --countFromEnd == 0)
            return i + 1;
    }
    return 0;
}

// The offset in the piece just after its count-th break (from 1) of breaks; next is the unit
// that follows the piece in the text, 0 at the end. Scans from the nearer end of the piece.
qsizetype afterBreak(const TextPiece &piece, qsizetype count, qsizetype breaks, char16_t next)
{
    if (count * 2 <= breaks)
        return afterBreakFromStart(piece, count, next);
    return afterBreakFromEnd(piece, breaks - count + 1, next);
}

NodePtr treeOf(const std::vector<TextPiece> &pieces, const NodePtr &before, const NodePtr &after)
{
    if (pieces.size() == 1)
        return piecenodes::join(before, pieces.front(), after);
    return piecenodes::concat(piecenodes::concat(before, piecenodes::build(pieces)), after);
}

} // namespace

PieceTree::PieceTree() = default;

PieceTree::PieceTree(QString text, qsizetype pieceLength)
    : m_pieceLength(std::clamp<qsizetype>(pieceLength, 1, textpiece::MaximumLength))
{
    if (text.isEmpty())
        return;
    const auto buffer = std::make_shared<const QString>(std::move(text));
    m_root = piecenodes::build(textpiece::cutIntoPieces(buffer, QStringView(*buffer).utf16(),
                                                        buffer->size(), m_pieceLength));
}

PieceTree::PieceTree(std::shared_ptr<const Node> root)
    : m_root(std::move(root))
{}

PieceTree PieceTree::withRoot(std::shared_ptr<const Node> root) const
{
    PieceTree tree = *this;
    tree.m_root = std::move(root);
    return tree;
}

qsizetype PieceTree::length() const
{
    return piecenodes::lengthOf(m_root);
}

qsizetype PieceTree::lineCount() const
{
    return 1 + piecenodes::breaksOf(m_root);
}

qsizetype PieceTree::lineStart(qsizetype line) const
{
    if (line <= 0)
        return 0;
    if (line >= lineCount())
        return length();
    qsizetype count = line;
    qsizetype base = 0;
    char16_t next = 0;
    const Node *node = m_root.get();
    while (node) {
        const TextPiece &piece = node->piece;
        const qsizetype leftBreaks = piecenodes::leftBreaksBefore(*node);
        if (count <= leftBreaks) {
            next = piece.first();
            node = node->left.get();
            continue;
        }
        count -= leftBreaks;
        base += piecenodes::lengthOf(node->left);
        const char16_t after = node->right ? node->right->first : next;
        const qsizetype pieceBreaks = piece.breaks - textpiece::joinsBreak(piece.last(), after);
        if (count <= pieceBreaks)
            return base + afterBreak(piece, count, pieceBreaks, after);
        count -= pieceBreaks;
        base += piece.length;
        node = node->right.get();
    }
    return length();
}

qsizetype PieceTree::breaksBefore(qsizetype offset) const
{
    qsizetype breaks = 0;
    char16_t last = 0;
    const Node *node = m_root.get();
    while (node && offset > 0) {
        const qsizetype leftLength = piecenodes::lengthOf(node->left);
        if (offset <= leftLength) {
            node = node->left.get();
            continue;
        }
        if (node->left) {
            breaks += node->left->breaks - textpiece::joinsBreak(last, node->left->first);
            last = node->left->last;
        }
        offset -= leftLength;
        const TextPiece &piece = node->piece;
        breaks -= textpiece::joinsBreak(last, piece.first());
        if (offset <= piece.length)
            return breaks + textpiece::headBreaks(piece, offset);
        breaks += piece.breaks;
        last = piece.last();
        offset -= piece.length;
        node = node->right.get();
    }
    return breaks;
}

qsizetype PieceTree::lineAt(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, length());
    const bool insideCrLf = offset > 0 && at(offset - 1) == u'\r' && at(offset) == u'\n';
    return breaksBefore(offset) - insideCrLf;
}

qsizetype PieceTree::lineEnd(qsizetype line) const
{
    line = std::max<qsizetype>(line, 0);
    if (line + 1 >= lineCount())
        return length();
    const qsizetype next = lineStart(line + 1);
    const bool crLf = next >= 2 && at(next - 1) == u'\n' && at(next - 2) == u'\r';
    return next - (crLf ? 2 : 1);
}

std::shared_ptr<const PieceTree::Node> PieceTree::extendedAt(qsizetype offset,
                                                             QStringView text) const
{
    if (!m_addChunk || text.size() > LargeInsert)
        return nullptr;
    const TextPiece *piece = piecenodes::pieceEndingAt(m_root, offset);
    if (!piece || piece->owner.get() != m_addChunk.get() ||
        piece->length + text.size() > m_pieceLength)
        return nullptr;
    const qsizetype end = piece->end() - m_addChunk->units();
    if (!m_addChunk->claimAt(end, text.size()))
        return nullptr;
    m_addChunk->write(end, text);
    return piecenodes::withPieceEndingAt(m_root, offset, textpiece::extended(*piece, text.size()));
}

PieceTree PieceTree::inserted(qsizetype offset, QStringView text) const
{
    if (text.isEmpty())
        return *this;
    offset = std::clamp<qsizetype>(offset, 0, length());
    if (NodePtr grown = extendedAt(offset, text))
        return withRoot(std::move(grown));

    PieceTree result = *this;
    std::vector<TextPiece> pieces;
    if (text.size() > LargeInsert) {
        const auto buffer = std::make_shared<const QString>(text.toString());
        pieces = textpiece::cutIntoPieces(buffer, QStringView(*buffer).utf16(), buffer->size(),
                                          m_pieceLength);
    } else {
        qsizetype start = m_addChunk ? m_addChunk->claim(text.size()) : -1;
        if (start < 0) {
            result.m_addChunk = std::make_shared<AddChunk>();
            start = result.m_addChunk->claim(text.size());
        }
        result.m_addChunk->write(start, text);
        pieces = textpiece::cutIntoPieces(result.m_addChunk, result.m_addChunk->units() + start,
                                          text.size(), m_pieceLength);
    }
    const auto [before, after] = piecenodes::split(m_root, offset);
    result.m_root = treeOf(pieces, before, after);
    return result;
}

PieceTree PieceTree::removed(qsizetype offset, qsizetype count) const
{
    offset = std::clamp<qsizetype>(offset, 0, length());
    count = std::clamp<qsizetype>(count, 0, length() - offset);
    if (count == 0)
        return *this;
    const auto [before, rest] = piecenodes::split(m_root, offset);
    const NodePtr after = piecenodes::split(rest, count).second;
    return withRoot(piecenodes::concat(before, after));
}
