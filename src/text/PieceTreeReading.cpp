// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a piece tree: a unit, a range, and the pieces themselves in place.
#include "text/PieceTree.h"

#include "text/PieceTreeNode.h"

#include <algorithm>

namespace {

using ChunkVisitor = std::function<bool(QStringView)>;

// Visits [from, to) of the node's subtree in order; false when the visitor asked to stop.
bool visitRange(const PieceTree::Node *node, qsizetype from, qsizetype to,
                const ChunkVisitor &visit)
{
    if (!node || from >= to)
        return true;
    const qsizetype leftLength = piecenodes::lengthOf(node->left);
    const qsizetype pieceEnd = leftLength + node->piece.length;
    if (from < leftLength && !visitRange(node->left.get(), from, std::min(to, leftLength), visit))
        return false;
    const qsizetype start = std::max(from, leftLength);
    const qsizetype end = std::min(to, pieceEnd);
    if (start < end && !visit(QStringView(node->piece.units + start - leftLength, end - start)))
        return false;
    if (to <= pieceEnd)
        return true;
    return visitRange(node->right.get(), std::max(from, pieceEnd) - pieceEnd, to - pieceEnd, visit);
}

} // namespace

QChar PieceTree::at(qsizetype offset) const
{
    if (offset < 0 || offset >= length())
        return {};
    const Node *node = m_root.get();
    while (true) {
        const qsizetype leftLength = piecenodes::lengthOf(node->left);
        if (offset < leftLength) {
            node = node->left.get();
            continue;
        }
        offset -= leftLength;
        if (offset < node->piece.length)
            return QChar(node->piece.units[offset]);
        offset -= node->piece.length;
        node = node->right.get();
    }
}

QString PieceTree::text(qsizetype offset, qsizetype count) const
{
    offset = std::clamp<qsizetype>(offset, 0, length());
    count = std::clamp<qsizetype>(count, 0, length() - offset);
    QString result;
    result.reserve(count);
    forEachChunk(offset, count, [&result](QStringView chunk) {
        result.append(chunk);
        return true;
    });
    return result;
}

QString PieceTree::toString() const
{
    return text(0, length());
}

void PieceTree::forEachChunk(qsizetype offset, qsizetype count,
                             const std::function<bool(QStringView)> &visit) const
{
    offset = std::clamp<qsizetype>(offset, 0, length());
    count = std::clamp<qsizetype>(count, 0, length() - offset);
    visitRange(m_root.get(), offset, offset + count, visit);
}

PieceTree::Piece PieceTree::pieceAt(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, length());
    if (offset == length())
        offset -= !isEmpty();
    qsizetype start = 0;
    const Node *node = m_root.get();
    while (node) {
        const qsizetype leftLength = piecenodes::lengthOf(node->left);
        if (offset < start + leftLength) {
            node = node->left.get();
            continue;
        }
        start += leftLength;
        if (offset < start + node->piece.length)
            return {start, QStringView(node->piece.units, node->piece.length)};
        start += node->piece.length;
        node = node->right.get();
    }
    return {};
}
