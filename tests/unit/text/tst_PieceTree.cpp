// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/PieceTree.h"
#include "text/PieceTreeNode.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <vector>

namespace {

// The line starts of a plain string, worked out the obvious way.
QList<qsizetype> lineStartsOf(const QString &text)
{
    QList<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool crAlone = text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n');
        if (text[i] == u'\n' || crAlone)
            starts.append(i + 1);
    }
    return starts;
}

qsizetype lineEndOf(const QString &text, const QList<qsizetype> &starts, qsizetype line)
{
    if (line + 1 >= starts.size())
        return text.size();
    const qsizetype next = starts[line + 1];
    return next >= 2 && QStringView(text).mid(next - 2, 2) == u"\r\n" ? next - 2 : next - 1;
}

QString chunksOf(const PieceTree &tree, qsizetype offset, qsizetype count)
{
    QString joined;
    tree.forEachChunk(offset, count, [&joined](QStringView chunk) {
        joined += chunk;
        return true;
    });
    return joined;
}

// Compares every query of the tree with the same question put to the plain string.
void compareWithModel(const PieceTree &tree, const QString &model, QRandomGenerator &random)
{
    const QList<qsizetype> starts = lineStartsOf(model);
    QCOMPARE(tree.length(), model.size());
    QCOMPARE(tree.toString(), model);
    QCOMPARE(tree.lineCount(), starts.size());
    for (qsizetype line = 0; line <= starts.size(); ++line) {
        QCOMPARE(tree.lineStart(line), line < starts.size() ? starts[line] : model.size());
        QCOMPARE(tree.lineEnd(line), lineEndOf(model, starts, line));
    }
    for (qsizetype offset = 0; offset <= model.size(); ++offset) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
        QCOMPARE(tree.lineAt(offset), after - starts.begin() - 1);
        if (offset < model.size())
            QCOMPARE(tree.at(offset), model[offset]);
    }
    for (int i = 0; i < 8; ++i) {
        const qsizetype offset = random.bounded(model.size() + 1);
        const qsizetype count = random.bounded(model.size() - offset + 2);
        QCOMPARE(tree.text(offset, count), model.mid(offset, count));
        QCOMPARE(chunksOf(tree, offset, count), model.mid(offset, count));
    }
}

// The height of a subtree when every node's children differ in height by at most one; -1 if not.
int balancedHeight(const PieceTree::Node *node)
{
    if (!node)
        return 0;
    const int left = balancedHeight(node->left.get());
    const int right = balancedHeight(node->right.get());
    if (left < 0 || right < 0 || std::abs(left - right) > 1 ||
        node->height != 1 + std::max(left, right))
        return -1;
    return 1 + std::max(left, right);
}

QString randomText(QRandomGenerator &random, int tokens)
{
    static const QStringList pieces{u"a"_qs,    u"bc"_qs,         u"\r"_qs,     u"\n"_qs,
                                    u"\r\n"_qs, u"\U0001F600"_qs, u"\u00e9"_qs, u"word "_qs};
    QString text;
    for (int i = 0; i < tokens; ++i)
        text += pieces[random.bounded(qsizetype(pieces.size()))];
    return text;
}

} // namespace

class tst_PieceTree : public QObject {
    Q_OBJECT

private slots:
    void lineBreaks_data();
    void lineBreaks();
    void crAndLfInDifferentEdits();
    void randomEditsMatchAPlainString_data();
    void randomEditsMatchAPlainString();
    void oldVersionsStayUnchangedWhenTypingGoesOnElsewhere();
    void largeInsert();
    void chunkVisitStopsWhenAsked();
    void splitsAndJoinsKeepTheTreeBalanced();
};

void tst_PieceTree::lineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qsizetype>>("starts");
    QTest::addColumn<QList<qsizetype>>("ends");

    QTest::newRow("empty") << QString() << QList<qsizetype>{0} << QList<qsizetype>{0};
    QTest::newRow("no break") << u"ab"_qs << QList<qsizetype>{0} << QList<qsizetype>{2};
    QTest::newRow("LF") << u"a\nb"_qs << QList<qsizetype>{0, 2} << QList<qsizetype>{1, 3};
    QTest::newRow("CR") << u"a\rb"_qs << QList<qsizetype>{0, 2} << QList<qsizetype>{1, 3};
    QTest::newRow("CR LF") << u"a\r\nb"_qs << QList<qsizetype>{0, 3} << QList<qsizetype>{1, 4};
    QTest::newRow("LF CR is two") << u"\n\r"_qs << QList<qsizetype>{0, 1, 2}
                                  << QList<qsizetype>{0, 1, 2};
    QTest::newRow("CR CR LF") << u"\r\r\n"_qs << QList<qsizetype>{0, 1, 3}
                              << QList<qsizetype>{0, 1, 3};
    QTest::newRow("CR LF LF") << u"\r\n\n"_qs << QList<qsizetype>{0, 2, 3}
                              << QList<qsizetype>{0, 2, 3};
    QTest::newRow("trailing CR") << u"a\r"_qs << QList<qsizetype>{0, 2} << QList<qsizetype>{1, 2};
    QTest::newRow("mixed") << u"a\rb\nc\r\nd"_qs << QList<qsizetype>{0, 2, 4, 7}
                           << QList<qsizetype>{1, 3, 5, 8};
}

void tst_PieceTree::lineBreaks()
{
    QFETCH(QString, text);
    QFETCH(QList<qsizetype>, starts);
    QFETCH(QList<qsizetype>, ends);

    // One unit a piece puts every CR and LF of a CR LF into pieces of their own.
    for (const qsizetype pieceLength : {qsizetype(1), PieceTree::DefaultPieceLength}) {
        const PieceTree tree(text, pieceLength);
        QCOMPARE(tree.lineCount(), starts.size());
        for (qsizetype line = 0; line < starts.size(); ++line) {
            QCOMPARE(tree.lineStart(line), starts[line]);
            QCOMPARE(tree.lineEnd(line), ends[line]);
            for (qsizetype offset = starts[line]; offset < starts.value(line + 1, text.size() + 1);
                 ++offset)
                QCOMPARE(tree.lineAt(offset), line);
        }
        QCOMPARE(tree.lineStart(starts.size()), text.size());
    }
}

void tst_PieceTree::crAndLfInDifferentEdits()
{
    const PieceTree withCr = PieceTree(u"a\r"_qs).inserted(2, u"b");
    QCOMPARE(withCr.lineStart(1), 2);

    // The LF typed between them joins the CR before it, in another buffer.
    const PieceTree joined = withCr.inserted(2, u"\n");
    QCOMPARE(joined.toString(), u"a\r\nb"_qs);
    QCOMPARE(joined.lineCount(), 2);
    QCOMPARE(joined.lineStart(1), 3);
    QCOMPARE(joined.lineEnd(0), 1);
    QCOMPARE(joined.lineAt(2), 0);
    QCOMPARE(joined.lineAt(3), 1);

    const PieceTree parted = joined.inserted(2, u"x");
    QCOMPARE(parted.lineCount(), 3);
    QCOMPARE(parted.lineStart(2), 4);
    QCOMPARE(parted.removed(2, 1).lineCount(), 2);
}

void tst_PieceTree::randomEditsMatchAPlainString_data()
{
    QTest::addColumn<qsizetype>("pieceLength");
    QTest::addColumn<quint32>("seed");

    QTest::newRow("one unit a piece") << qsizetype(1) << 1u;
    QTest::newRow("two units a piece") << qsizetype(2) << 2u;
    QTest::newRow("three units a piece") << qsizetype(3) << 3u;
    QTest::newRow("eight units a piece") << qsizetype(8) << 4u;
    QTest::newRow("long pieces") << PieceTree::DefaultPieceLength << 5u;
}

void tst_PieceTree::randomEditsMatchAPlainString()
{
    QFETCH(qsizetype, pieceLength);
    QFETCH(quint32, seed);

    QRandomGenerator random(seed);
    QString model = randomText(random, 20);
    PieceTree tree(model, pieceLength);
    std::vector<std::pair<PieceTree, QString>> versions;
    qsizetype typingAt = 0;
    for (int step = 0; step < 400; ++step) {
        versions.emplace_back(tree, model);
        const int kind = random.bounded(10);
        if (kind < 4) {
            // Typing: one token after another at the same place.
            const QString token = randomText(random, 1);
            typingAt = std::min(typingAt, model.size());
            tree = tree.inserted(typingAt, token);
            model.insert(typingAt, token);
            typingAt += token.size();
        } else if (kind < 7 || model.size() < 10) {
            const qsizetype offset = random.bounded(model.size() + 1);
            const QString inserted = randomText(random, random.bounded(1, 6));
            tree = tree.inserted(offset, inserted);
            model.insert(offset, inserted);
            typingAt = offset + inserted.size();
        } else {
            const qsizetype offset = random.bounded(model.size());
            const qsizetype count = random.bounded(1, model.size() > 150 ? 40 : 6);
            tree = tree.removed(offset, count);
            model.remove(offset, count);
        }
        compareWithModel(tree, model, random);
        QCOMPARE(versions.back().first.toString(), versions.back().second);
        if (QTest::currentTestFailed())
            qWarning() << "after step" << step << "the text should be" << model;
        QVERIFY(!QTest::currentTestFailed());
    }
    for (const auto &[version, text] : versions)
        compareWithModel(version, text, random);
}

void tst_PieceTree::oldVersionsStayUnchangedWhenTypingGoesOnElsewhere()
{
    const PieceTree a = PieceTree().inserted(0, u"a");
    const PieceTree ab = a.inserted(1, u"b");
    const PieceTree abc = ab.inserted(2, u"c");
    // Undo to "a" and type on: the units after "a" in the add buffer are already taken.
    const PieceTree ax = a.inserted(1, u"x");
    const PieceTree abd = ab.inserted(2, u"d");
    const PieceTree abcd = abc.inserted(3, u"d");
    QCOMPARE(a.toString(), u"a"_qs);
    QCOMPARE(ab.toString(), u"ab"_qs);
    QCOMPARE(abc.toString(), u"abc"_qs);
    QCOMPARE(ax.toString(), u"ax"_qs);
    QCOMPARE(abd.toString(), u"abd"_qs);
    QCOMPARE(abcd.toString(), u"abcd"_qs);
}

void tst_PieceTree::largeInsert()
{
    QString large;
    for (int i = 0; i < 30000; ++i)
        large += i % 7 == 0 ? u"\r\n"_qs : u"xy"_qs;
    const PieceTree small(u"ab"_qs, 1000);
    const PieceTree tree = small.inserted(1, large);

    QString model = large;
    model.prepend(u'a').append(u'b');
    QCOMPARE(tree.toString(), model);
    // Pieces of a thousand units are scanned in blocks, from their nearer end.
    const QList<qsizetype> starts = lineStartsOf(model);
    QCOMPARE(tree.lineCount(), starts.size());
    for (qsizetype line = 0; line < starts.size(); ++line)
        QCOMPARE(tree.lineStart(line), starts[line]);
    for (qsizetype offset = 0; offset < model.size(); offset += 13) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
        QCOMPARE(tree.lineAt(offset), after - starts.begin() - 1);
    }
    QCOMPARE(tree.removed(1, large.size()).toString(), u"ab"_qs);
    QCOMPARE(small.toString(), u"ab"_qs);
}

void tst_PieceTree::chunkVisitStopsWhenAsked()
{
    const PieceTree tree(u"abcdef"_qs, 2);
    QStringList chunks;
    tree.forEachChunk(1, 5, [&chunks](QStringView chunk) {
        chunks += chunk.toString();
        return chunks.size() < 2;
    });
    QCOMPARE(chunks, (QStringList{u"b"_qs, u"cd"_qs}));
}

void tst_PieceTree::splitsAndJoinsKeepTheTreeBalanced()
{
    const auto buffer = std::make_shared<const QString>(QString(4000, u'x'));
    const char16_t *units = QStringView(*buffer).utf16();
    piecenodes::NodePtr root =
        piecenodes::build(textpiece::cutIntoPieces(buffer, units, buffer->size(), 1));
    QRandomGenerator random(9);
    for (int step = 0; step < 2000; ++step) {
        // Cut out a random range and put it back elsewhere, as cut and paste would.
        const qsizetype from = random.bounded(root->length);
        const qsizetype count = random.bounded(1, int(root->length - from + 1));
        auto [before, rest] = piecenodes::split(root, from);
        auto [moved, after] = piecenodes::split(rest, count);
        auto [head, tail] = piecenodes::split(piecenodes::concat(before, after),
                                              random.bounded(root->length - count + 1));
        root = piecenodes::concat(piecenodes::concat(head, moved), tail);
        QCOMPARE(root->length, 4000);
        QVERIFY(balancedHeight(root.get()) > 0);
    }
}

QTEST_GUILESS_MAIN(tst_PieceTree)
#include "tst_PieceTree.moc"
