// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/PieceTreeNode.h"

#include <algorithm>

namespace piecenodes {

namespace {

int heightOf(const NodePtr &node)
{
    return node ? node->height : 0;
}

NodePtr make(const NodePtr &left, const TextPiece &piece, const NodePtr &right)
{
    PieceTree::Node node;
    node.left = left;
    node.right = right;
    node.piece = piece;
    node.length = lengthOf(left) + piece.length + lengthOf(right);
    node.breaks = breaksOf(left) + piece.breaks + breaksOf(right);
    if (left)
        node.breaks -= textpiece::joinsBreak(left->last, piece.first());
    if (right)
        node.breaks -= textpiece::joinsBreak(piece.last(), right->first);
    node.first = left ? left->first : piece.first();
    node.last = right ? right->last : piece.last();
    node.height = qint8(1 + std::max(heightOf(left), heightOf(right)));
    return std::make_shared<const PieceTree::Node>(std::move(node));
}

NodePtr rotateLeft(const NodePtr &node)
{
    const NodePtr &pivot = node->right;
    return make(make(node->left, node->piece, pivot->left), pivot->piece, pivot->right);
}

NodePtr rotateRight(const NodePtr &node)
{
    const NodePtr &pivot = node->left;
    return make(pivot->left, pivot->piece, make(pivot->right, node->piece, node->right));
}

// Joins where left is the taller by more than one: descend its right spine to a subtree of
// right's height, join there and rebalance on the way up.
NodePtr joinRight(const NodePtr &left, const TextPiece &piece, const NodePtr &right)
{
    const NodePtr &inner = left->right;
    if (heightOf(inner) <= heightOf(right) + 1) {
        const NodePtr joined = make(inner, piece, right);
        if (heightOf(joined) <= heightOf(left->left) + 1)
            return make(left->left, left->piece, joined);
        return rotateLeft(make(left->left, left->piece, rotateRight(joined)));
    }
    const NodePtr joined = joinRight(inner, piece, right);
    const NodePtr result = make(left->left, left->piece, joined);
    return heightOf(joined) <= heightOf(left->left) + 1 ? result : rotateLeft(result);
}

NodePtr joinLeft(const NodePtr &left, const TextPiece &piece, const NodePtr &right)
{
    const NodePtr &inner = right->left;
    if (heightOf(inner) <= heightOf(left) + 1) {
        const NodePtr joined = make(left, piece, inner);
        if (heightOf(joined) <= heightOf(right->right) + 1)
            return make(joined, right->piece, right->right);
        return rotateRight(make(rotateLeft(joined), right->piece, right->right));
    }
    const NodePtr joined = joinLeft(left, piece, inner);
    const NodePtr result = make(joined, right->piece, right->right);
    return heightOf(joined) <= heightOf(right->right) + 1 ? result : rotateRight(result);
}

// The subtree without its last piece, and that piece.
std::pair<NodePtr, TextPiece> splitLast(const NodePtr &node)
{
    if (!node->right)
        return {node->left, node->piece};
    auto [rest, last] = splitLast(node->right);
    return {join(node->left, node->piece, rest), last};
}

NodePtr buildRange(const std::vector<TextPiece> &pieces, size_t begin, size_t end)
{
    if (begin == end)
        return nullptr;
    const size_t middle = begin + (end - begin) / 2;
    return make(buildRange(pieces, begin, middle), pieces[middle],
                buildRange(pieces, middle + 1, end));
}

} // namespace

NodePtr join(const NodePtr &left, const TextPiece &piece, const NodePtr &right)
{
    if (heightOf(left) > heightOf(right) + 1)
        return joinRight(left, piece, right);
    if (heightOf(right) > heightOf(left) + 1)
        return joinLeft(left, piece, right);
    return make(left, piece, right);
}

NodePtr concat(const NodePtr &left, const NodePtr &right)
{
    if (!left)
        return right;
    if (!right)
        return left;
    auto [rest, last] = splitLast(left);
    return join(rest, last, right);
}

std::pair<NodePtr, NodePtr> split(const NodePtr &root, qsizetype offset)
{
    if (!root)
        return {nullptr, nullptr};
    if (offset <= 0)
        return {nullptr, root};
    if (offset >= root->length)
        return {root, nullptr};
    const qsizetype leftLength = lengthOf(root->left);
    if (offset <= leftLength) {
        auto [before, after] = split(root->left, offset);
        return {before, join(after, root->piece, root->right)};
    }
    const qsizetype inPiece = offset - leftLength;
    if (inPiece >= root->piece.length) {
        auto [before, after] = split(root->right, inPiece - root->piece.length);
        return {join(root->left, root->piece, before), after};
    }
    auto [head, tail] = textpiece::cut(root->piece, inPiece);
    return {join(root->left, head, nullptr), join(nullptr, tail, root->right)};
}

NodePtr build(const std::vector<TextPiece> &pieces)
{
    return buildRange(pieces, 0, pieces.size());
}

const TextPiece *pieceEndingAt(const NodePtr &root, qsizetype offset)
{
    const PieceTree::Node *node = root.get();
    while (node) {
        const qsizetype leftLength = lengthOf(node->left);
        const qsizetype end = leftLength + node->piece.length;
        if (offset == end)
            return &node->piece;
        if (offset > leftLength && offset < end)
            return nullptr;
        if (offset < end) {
            node = node->left.get();
        } else {
            offset -= end;
            node = node->right.get();
        }
    }
    return nullptr;
}

NodePtr withPieceEndingAt(const NodePtr &root, qsizetype offset, const TextPiece &replacement)
{
    const qsizetype end = lengthOf(root->left) + root->piece.length;
    if (offset == end)
        return make(root->left, replacement, root->right);
    if (offset < end)
        return make(withPieceEndingAt(root->left, offset, replacement), root->piece, root->right);
    return make(root->left, root->piece, withPieceEndingAt(root->right, offset - end, replacement));
}

} // namespace piecenodes
