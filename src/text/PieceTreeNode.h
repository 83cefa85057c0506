// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/PieceTree.h"
#include "text/TextPiece.h"

// A node holds one piece and sums its subtree: units, line breaks (of the subtree's text taken
// alone), its first and last unit (to join a CR and an LF that meet across a node's edge) and the
// AVL height. Nodes never change once made; edits copy the path to the root.
struct PieceTree::Node {
    std::shared_ptr<const Node> left;
    std::shared_ptr<const Node> right;
    TextPiece piece;
    qsizetype length = 0;
    qsizetype breaks = 0;
    char16_t first = 0;
    char16_t last = 0;
    qint8 height = 0;
};

// The balanced tree's operations: all take and return subtrees, never changing one.
namespace piecenodes {

using NodePtr = std::shared_ptr<const PieceTree::Node>;

inline qsizetype lengthOf(const NodePtr &node)
{
    return node ? node->length : 0;
}

inline qsizetype breaksOf(const NodePtr &node)
{
    return node ? node->breaks : 0;
}

// The left subtree's breaks as the text around it counts them: its last CR is no break of its own
// when the piece after it starts with LF.
inline qsizetype leftBreaksBefore(const PieceTree::Node &node)
{
    const NodePtr &left = node.left;
    return left ? left->breaks - textpiece::joinsBreak(left->last, node.piece.first()) : 0;
}

// left, then piece, then right, all in order, balanced: O(|height(left) - height(right)|).
NodePtr join(const NodePtr &left, const TextPiece &piece, const NodePtr &right);
// left followed by right: O(log n).
NodePtr concat(const NodePtr &left, const NodePtr &right);
// The first offset units and the rest: O(log n), cutting at most one piece.
std::pair<NodePtr, NodePtr> split(const NodePtr &root, qsizetype offset);
// A perfectly balanced tree of the pieces in order: O(n).
NodePtr build(const std::vector<TextPiece> &pieces);

// The piece that ends exactly at offset; null when offset is not the end of a piece.
const TextPiece *pieceEndingAt(const NodePtr &root, qsizetype offset);
// The same tree with the piece that ends at offset replaced by a longer one of the same start.
NodePtr withPieceEndingAt(const NodePtr &root, qsizetype offset, const TextPiece &replacement);

} // namespace piecenodes
