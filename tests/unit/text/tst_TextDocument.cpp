// SPDX-License-Identifier: GPL-3.0-or-later
// The document against a plain QString: random edits, undos and redos, each change report
// applied to a copy of the text, which must keep in step.
#include "text/TextDocument.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QList<qsizetype> lineStarts(const QString &text)
{
    QList<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool crlf = text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n';
        if (text.at(i) == u'\n' || (text.at(i) == u'\r' && !crlf))
            starts << i + 1;
    }
    return starts;
}

// Follows the document's reports: each applied to the text before it must give the text after.
class ReportedCopy {
public:
    explicit ReportedCopy(TextDocument &document)
        : m_document(document)
    {
        QObject::connect(&document, &TextDocument::changed, &document,
                         [this](const TextChange &change) { apply(change); });
    }

    const QString &text() const { return m_copy; }
    int reports() const { return m_reports; }
    QList<TextChange> changes() const { return m_changes; }
    void forget() { m_changes.clear(); }

private:
    void apply(const TextChange &change)
    {
        ++m_reports;
        m_changes << change;
        QCOMPARE(change.revision, m_document.revision());
        QCOMPARE(change.revision, m_lastRevision + 1);
        m_lastRevision = change.revision;
        QCOMPARE(m_document.textBefore().toString(), m_copy);
        m_copy.replace(change.position, change.removed,
                       m_document.text().text(change.position, change.inserted));
    }

    TextDocument &m_document;
    QString m_copy;
    int m_reports = 0;
    quint64 m_lastRevision = 0;
    QList<TextChange> m_changes;
};

// Random edits of a small text full of line breaks, each a step of its own or, with joined,
// typed and removed one unit at a time so that the history groups them.
class RandomEditor {
public:
    RandomEditor(TextDocument &document, quint32 seed)
        : m_document(document)
        , m_random(seed)
    {}

    QString piece()
    {
        static const QStringList parts{"a", "b", " ", "\n", "\r", "\r\n", "xyz", "\t"};
        QString text;
        for (int i = int(m_random.bounded(1, 4)); i > 0; --i)
            text += parts.at(m_random.bounded(int(parts.size())));
        return text;
    }

    qsizetype offset(qsizetype length) { return qsizetype(m_random.bounded(quint64(length) + 1)); }

    // One edit; returns the text the model expects.
    QString edit(QString model, bool joined)
    {
        const qsizetype length = model.size();
        const qsizetype at = offset(length);
        const TextState caret{PieceTree(), at, at};
        const int kind = int(m_random.bounded(joined ? 3 : 4));
        if (kind == 0 || length == 0) {
            const QString text = joined ? QString(piece().at(0)) : piece();
            m_document.insert(at, text, joined ? EditKind::Typing : EditKind::Other, caret);
            return model.insert(at, text);
        }
        if (kind == 1) {
            const qsizetype count =
                joined ? std::min<qsizetype>(1, length - at) : offset(length - at);
            m_document.remove(at, count, EditKind::Delete, caret);
            return model.remove(at, count);
        }
        if (kind == 2) {
            const qsizetype count = offset(length - at);
            const QString text = piece();
            m_document.replace(at, count, text, EditKind::Other, caret);
            return model.replace(at, count, text);
        }
        const qsizetype from = offset(length);
        const qsizetype count = offset(length - from);
        qsizetype to = offset(length - count);
        if (to > from)
            to += count;
        m_document.move(from, count, to, TextState{PieceTree(), from, from + count});
        const QString moved = model.mid(from, count);
        model.remove(from, count);
        return model.insert(to > from ? to - count : to, moved);
    }

private:
    TextDocument &m_document;
    QRandomGenerator m_random;
};

void compareWithModel(const TextDocument &document, const ReportedCopy &copy, const QString &model)
{
    QCOMPARE(document.text().toString(), model);
    QCOMPARE(copy.text(), model);
    const QList<qsizetype> starts = lineStarts(model);
    QCOMPARE(document.text().lineCount(), starts.size());
    for (qsizetype line = 0; line < starts.size(); ++line)
        QCOMPARE(document.text().lineStart(line), starts.at(line));
}

} // namespace

class tst_TextDocument : public QObject {
    Q_OBJECT
private slots:
    void randomSteps_data();
    void randomSteps();
    void undoGoesBackThroughGroupedSteps_data();
    void undoGoesBackThroughGroupedSteps();
    void undoReportsTheStepsRange_data();
    void undoReportsTheStepsRange();
    void setTextForgetsTheSteps();
};

void tst_TextDocument::randomSteps_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 40; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

// Each edit is its own step, so undo and redo have a model: a stack of texts.
void tst_TextDocument::randomSteps()
{
    QFETCH(quint32, seed);
    TextDocument document;
    ReportedCopy copy(document);
    RandomEditor editor(document, seed);
    QRandomGenerator choice(seed * 7919);
    QStringList done{QString()};
    QStringList undone;
    // The reports of the edits, which undo must report reversed and redo again as they were.
    QList<TextChange> doneEdits;
    QList<TextChange> undoneEdits;
    const auto sameRange = [](const TextChange &a, const TextChange &b) {
        return a.position == b.position && a.removed == b.removed && a.inserted == b.inserted;
    };
    int changes = 0;
    for (int step = 0; step < 120; ++step) {
        const int what = int(choice.bounded(10));
        if (what < 2 && document.canUndo()) {
            document.undo();
            undone << done.takeLast();
            undoneEdits << doneEdits.takeLast();
            QVERIFY(sameRange(copy.changes().last(), undoneEdits.last().reversed()));
            ++changes;
        } else if (what < 3 && document.canRedo()) {
            document.redo();
            done << undone.takeLast();
            doneEdits << undoneEdits.takeLast();
            QVERIFY(sameRange(copy.changes().last(), doneEdits.last()));
            ++changes;
        } else {
            document.closeUndoStep();
            const QString next = editor.edit(done.last(), false);
            if (copy.reports() > changes) {
                ++changes;
                done << next;
                undone.clear();
                doneEdits << copy.changes().last();
                undoneEdits.clear();
            } else {
                QCOMPARE(next, done.last()); // an empty edit is no change
            }
        }
        QCOMPARE(copy.reports(), changes);
        compareWithModel(document, copy, done.last());
        QCOMPARE(document.canUndo(), done.size() > 1);
        QCOMPARE(document.canRedo(), !undone.isEmpty());
    }
    while (document.canUndo()) {
        document.undo();
        undone << done.takeLast();
        compareWithModel(document, copy, done.last());
    }
    QCOMPARE(done, QStringList{QString()});
}

void tst_TextDocument::undoGoesBackThroughGroupedSteps_data()
{
    randomSteps_data();
}

// Typing and removals one unit at a time join their steps: undo passes through some of the
// earlier texts, in order, back to the first, and redo comes forth the same way.
void tst_TextDocument::undoGoesBackThroughGroupedSteps()
{
    QFETCH(quint32, seed);
    TextDocument document;
    ReportedCopy copy(document);
    RandomEditor editor(document, seed);
    QStringList texts{QString()};
    for (int step = 0; step < 80; ++step) {
        const int reports = copy.reports();
        const QString next = editor.edit(texts.last(), true);
        if (copy.reports() > reports) // replacing a unit by itself is a step too
            texts << next;
        compareWithModel(document, copy, texts.last());
    }
    QStringList undoneTo;
    while (document.canUndo()) {
        document.undo();
        undoneTo << document.text().toString();
        compareWithModel(document, copy, undoneTo.last());
    }
    QVERIFY(!undoneTo.isEmpty());
    QCOMPARE(undoneTo.last(), QString());
    qsizetype searchFrom = texts.size() - 1;
    for (const QString &text : undoneTo) {
        // A step that only puts the caret past an empty line leaves the text as it was.
        if (text == texts.at(searchFrom))
            continue;
        const qsizetype found = texts.lastIndexOf(text, searchFrom - 1);
        QVERIFY2(found >= 0, qPrintable(text));
        searchFrom = found;
    }
    QStringList redoneTo;
    while (document.canRedo()) {
        document.redo();
        redoneTo.prepend(document.text().toString());
        compareWithModel(document, copy, redoneTo.first());
    }
    QCOMPARE(redoneTo.first(), texts.last());
    undoneTo.removeLast();
    redoneTo.removeFirst();
    QCOMPARE(redoneTo, undoneTo);
}

void tst_TextDocument::undoReportsTheStepsRange_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("reports");
    // Each report: position -removed +inserted, in the text it changed.
    QTest::newRow("typed line, undone") << "type:abc;type:\n;type:def;undo;undo;redo"
                                        << "4 -3 +0;3 -1 +0;3 -0 +1";
    QTest::newRow("Backspace run") << "type:hello;bs;bs;undo;redo"
                                   << "3 -0 +2;3 -2 +0";
    QTest::newRow("Delete run") << "type:hello;at:1;del;del;undo"
                                << "1 -0 +2";
    QTest::newRow("typing over a replacement") << "type:hello;select:1,4;type:XY;undo;redo"
                                               << "1 -2 +3;1 -3 +2";
    QTest::newRow("a move") << "type:hello world;move:0,6,11;undo"
                            << "0 -11 +11";
}

// Undo and redo report what the step changed, not the whole text.
void tst_TextDocument::undoReportsTheStepsRange()
{
    QFETCH(QString, script);
    QFETCH(QString, reports);
    TextDocument document;
    ReportedCopy copy(document);
    TextState caret;
    QStringList shown;
    for (const QString &command : script.split(u';')) {
        const QString name = command.section(u':', 0, 0);
        const QString arg = command.section(u':', 1);
        const QStringList numbers = arg.split(u',');
        const qsizetype start = std::min(caret.cursor, caret.anchor);
        const qsizetype selected = std::max(caret.cursor, caret.anchor) - start;
        if (name == u"type") {
            for (const QChar c : arg) {
                const qsizetype from = std::min(caret.cursor, caret.anchor);
                document.replace(from, std::max(caret.cursor, caret.anchor) - from, c,
                                 EditKind::Typing, caret);
                caret.cursor = caret.anchor = from + 1;
            }
        } else if (name == u"bs") {
            document.remove(start - 1, 1, EditKind::Backspace, caret);
            caret.cursor = caret.anchor = start - 1;
        } else if (name == u"del") {
            document.remove(start, std::max<qsizetype>(selected, 1), EditKind::Delete, caret);
        } else if (name == u"at" || name == u"select") {
            caret.anchor = numbers.first().toLongLong();
            caret.cursor = numbers.last().toLongLong();
        } else if (name == u"move") {
            document.move(numbers[0].toLongLong(), numbers[1].toLongLong(), numbers[2].toLongLong(),
                          caret);
        } else if (name == u"undo" || name == u"redo") {
            copy.forget();
            const TextState state = name == u"undo" ? document.undo() : document.redo();
            caret.cursor = state.cursor;
            caret.anchor = state.anchor;
            QCOMPARE(copy.changes().size(), 1);
            const TextChange change = copy.changes().first();
            shown << QStringLiteral("%1 -%2 +%3")
                         .arg(change.position)
                         .arg(change.removed)
                         .arg(change.inserted);
        }
    }
    QCOMPARE(shown.join(u';'), reports);
}

void tst_TextDocument::setTextForgetsTheSteps()
{
    TextDocument document;
    ReportedCopy copy(document);
    document.insert(0, QStringLiteral("abc"), EditKind::Other, TextState());
    document.setText(PieceTree(QStringLiteral("xy\nz")));
    QCOMPARE(copy.changes().last().removed, 3);
    QCOMPARE(copy.changes().last().inserted, 4);
    QVERIFY(!document.canUndo());
    QVERIFY(document.textBefore().isEmpty());
    compareWithModel(document, copy, QStringLiteral("xy\nz"));
}

QTEST_GUILESS_MAIN(tst_TextDocument)
#include "tst_TextDocument.moc"
