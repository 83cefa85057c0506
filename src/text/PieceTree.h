// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>

// A text of UTF-16 units kept as pieces of larger buffers in a balanced tree. Each node sums the
// length and the line breaks of its subtree, so finding an offset, a line's start or the line of
// an offset takes O(log n). The tree is persistent: an edit returns a new tree that shares all
// untouched nodes with the old one, and no node or buffer text ever changes once a tree can see
// it. Keeping an old tree is how undo remembers a text, and a copy is a snapshot that another
// thread may read while this one edits on.
//
// A line break is LF, CR LF or a CR not followed by LF; CR LF counts once, even when its two
// halves lie in different pieces.
class PieceTree {
public:
    struct Node;
    struct AddChunk;

    PieceTree();
    // Takes the text without copying it; the pieces are cut at most pieceLength units long.
    explicit PieceTree(QString text, qsizetype pieceLength = DefaultPieceLength);

    static constexpr qsizetype DefaultPieceLength = 16 * 1024;

    qsizetype length() const;
    bool isEmpty() const { return length() == 0; }
    // One more than the number of line breaks.
    qsizetype lineCount() const;
    // The offset where line (counted from 0) begins; length() for a line past the last.
    qsizetype lineStart(qsizetype line) const;
    // The line that offset lies in; an offset inside a CR LF belongs to the line it ends.
    qsizetype lineAt(qsizetype offset) const;
    // The end of the line's text, before its line break.
    qsizetype lineEnd(qsizetype line) const;

    QChar at(qsizetype offset) const;
    // The units from offset on, count of them (clamped to the text).
    QString text(qsizetype offset, qsizetype count) const;
    QString toString() const;
    // Calls visit with consecutive views that together make up [offset, offset + count), without
    // copying; stops early when visit returns false.
    void forEachChunk(qsizetype offset, qsizetype count,
                      const std::function<bool(QStringView)> &visit) const;

    // A piece of the text in place, with the offset where it starts.
    struct Piece {
        qsizetype start = 0;
        QStringView units;
    };
    // The piece that holds the unit at offset; the last one for length(), none in an empty text.
    // The view stays valid while any tree that holds the piece lives.
    Piece pieceAt(qsizetype offset) const;

    PieceTree inserted(qsizetype offset, QStringView text) const;
    PieceTree removed(qsizetype offset, qsizetype count) const;

    // True when both trees are the very same version (not merely equal text).
    bool isSameVersion(const PieceTree &other) const { return m_root == other.m_root; }

private:
    explicit PieceTree(std::shared_ptr<const Node> root);
    PieceTree withRoot(std::shared_ptr<const Node> root) const;
    // The tree with text inserted by growing the piece that ends at offset, when that piece is the
    // last text written to the add buffer; null when it is not.
    std::shared_ptr<const Node> extendedAt(qsizetype offset, QStringView text) const;
    // Breaks of the text before offset taken alone (a CR just before offset counts).
    qsizetype breaksBefore(qsizetype offset) const;

    std::shared_ptr<const Node> m_root;
    // Shared by the trees made from one another; small inserts are written to it.
    std::shared_ptr<AddChunk> m_addChunk;
    qsizetype m_pieceLength = DefaultPieceLength;
};
