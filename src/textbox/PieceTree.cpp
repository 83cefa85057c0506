// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in until the balanced tree lands: one flat string, same behaviour, linear costs.
#include "textbox/PieceTree.h"

struct PieceTree::Node {
    QString text;
};

namespace {
bool isBreakAt(const QString &t, qsizetype i)
{
    return t[i] == u'\n' || (t[i] == u'\r' && (i + 1 == t.size() || t[i + 1] != u'\n'));
}
} // namespace

PieceTree::PieceTree()
    : m_root(std::make_shared<const Node>())
{}

PieceTree::PieceTree(QString text, qsizetype)
    : m_root(std::make_shared<const Node>(Node{std::move(text)}))
{}

PieceTree::PieceTree(std::shared_ptr<const Node> root)
    : m_root(std::move(root))
{}

qsizetype PieceTree::length() const
{
    return m_root->text.size();
}

qsizetype PieceTree::lineCount() const
{
    qsizetype lines = 1;
    for (qsizetype i = 0; i < length(); ++i)
        lines += isBreakAt(m_root->text, i);
    return lines;
}

qsizetype PieceTree::lineStart(qsizetype line) const
{
    if (line <= 0)
        return 0;
    for (qsizetype i = 0; i < length(); ++i) {
        if (isBreakAt(m_root->text, i) && --line == 0)
            return i + 1;
    }
    return length();
}

qsizetype PieceTree::lineAt(qsizetype offset) const
{
    qsizetype line = 0;
    for (qsizetype i = 0; i < std::min(offset, length()); ++i)
        line += isBreakAt(m_root->text, i);
    return line;
}

qsizetype PieceTree::lineEnd(qsizetype line) const
{
    const qsizetype next = lineStart(line + 1);
    if (line + 1 >= lineCount())
        return length();
    const QString &t = m_root->text;
    if (next >= 2 && t[next - 1] == u'\n' && t[next - 2] == u'\r')
        return next - 2;
    return next - 1;
}

QChar PieceTree::at(qsizetype offset) const
{
    return m_root->text.at(offset);
}

QString PieceTree::text(qsizetype offset, qsizetype count) const
{
    return m_root->text.mid(offset, count);
}

QString PieceTree::toString() const
{
    return m_root->text;
}

void PieceTree::forEachChunk(qsizetype offset, qsizetype count,
                             const std::function<bool(QStringView)> &visit) const
{
    visit(QStringView(m_root->text).mid(offset, count));
}

PieceTree PieceTree::inserted(qsizetype offset, QStringView text) const
{
    QString t = m_root->text;
    t.insert(offset, text);
    return PieceTree(std::move(t));
}

PieceTree PieceTree::removed(qsizetype offset, qsizetype count) const
{
    QString t = m_root->text;
    t.remove(offset, count);
    return PieceTree(std::move(t));
}
