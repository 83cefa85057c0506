// SPDX-License-Identifier: GPL-3.0-or-later
// Exit while a save is under way: the document lets the program end without waiting on the
// file system, says when nothing is left to wait for, and shows nothing from then on.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "FakePlatform.h"
#include "HoldPoints.h"
#include "PoolBlocker.h"
#include "StorageTestFiles.h"
#include "storage/Document.h"
#include "textbox/TextBox.h"

#include <unistd.h>

using namespace Qt::StringLiterals;
using testFiles::contents;
using testFiles::put;

namespace {

// A document on a bare text box; every question is declined and every name dialog cancelled,
// and each is counted.
struct Doc {
    FakeMessageBoxes messageBoxes;
    int saveNameRequests = 0;
    TextBox editor;
    Document document{editor, editor, messageBoxes, [this] {
                          ++saveNameRequests;
                          return std::optional<QString>();
                      }};
    QSignalSpy stopped{&document, &Document::stoppedForExit};

    bool settled()
    {
        return QTest::qWaitFor([this] { return !document.isBusy(); }, 5000);
    }
    bool open(const QString &path)
    {
        document.open(path);
        return settled();
    }
    // Everything the user could have been shown or asked.
    QStringList shown() const
    {
        return messageBoxes.warnings + messageBoxes.questions +
               QStringList(saveNameRequests, u"save name"_s);
    }
};

QString nameOf(int number)
{
    return number == 1 ? u"doc.txt"_s : u"name%1.txt"_s.arg(number);
}

} // namespace

class tst_ExitDuringSave : public QObject {
    Q_OBJECT

private slots:
    void heldAtEachCallEndsWithTheNewText_data();
    void heldAtEachCallEndsWithTheNewText();
    void nothingShownAfterExit_data();
    void nothingShownAfterExit();
    void nothingToWaitForEndsAtOnce();
};

void tst_ExitDuringSave::heldAtEachCallEndsWithTheNewText_data()
{
    QTest::addColumn<int>("names");
    QTest::newRow("replaced by a new file") << 1;
    // A file with a second name is rewritten in place, with a backup beside it meanwhile.
    QTest::newRow("rewritten in place") << 2;
}

void tst_ExitDuringSave::heldAtEachCallEndsWithTheNewText()
{
    QFETCH(int, names);
    const QByteArray old = "the old text\n";
    const QString text = u"the new text, longer than the old one\n"_s;
    int calls = 0;
    // The first round only counts the calls a save makes; each later one holds the next.
    for (int holdAt = 0; holdAt <= calls; ++holdAt) {
        const QTemporaryDir folder;
        const QString file = folder.filePath(nameOf(1));
        QVERIFY(put(file, old));
        for (int number = 2; number <= names; ++number) {
            const QByteArray name = QFile::encodeName(folder.filePath(nameOf(number)));
            QCOMPARE(::link(QFile::encodeName(file).constData(), name.constData()), 0);
        }
        Doc doc;
        QVERIFY(doc.open(file));
        doc.editor.setPlainText(text);

        holdPoints::holdAt(holdAt);
        doc.document.save(file);
        if (holdAt == 0) {
            QVERIFY(doc.settled());
            calls = holdPoints::calls();
            QVERIFY(calls > 0);
            continue;
        }
        QVERIFY2(holdPoints::waitUntilHeld(), qPrintable(u"call %1 never came"_s.arg(holdAt)));
        doc.document.stopForExit();
        QVERIFY2(!holdPoints::wentOnByItself(), "Exit waited for the file system");
        QCOMPARE(doc.stopped.size(), 0);

        holdPoints::release();
        QTRY_COMPARE_WITH_TIMEOUT(doc.stopped.size(), 1, 20000);
        for (int number = 1; number <= names; ++number)
            QCOMPARE(contents(folder.filePath(nameOf(number))), text.toUtf8());
        QCOMPARE(testFiles::leftovers(folder.path()), QStringList());
        QCOMPARE(doc.shown(), QStringList());
    }
    holdPoints::holdAt(0);
}

void tst_ExitDuringSave::nothingShownAfterExit_data()
{
    QTest::addColumn<QString>("outcome");
    QTest::newRow("changed on disk") << u"changed"_s;
    QTest::newRow("encoding cannot hold a character") << u"encoding"_s;
    QTest::newRow("write fails") << u"fails"_s;
}

// Each of these would ask or warn, and then offer another name, were it not for Exit.
void tst_ExitDuringSave::nothingShownAfterExit()
{
    QFETCH(QString, outcome);
    const QTemporaryDir folder;
    const QString file = folder.filePath(u"doc.txt"_s);
    const QByteArray old = "caf\xE9\n";
    QVERIFY(put(file, old));
    Doc doc;
    QVERIFY(doc.open(file));
    doc.editor.setPlainText(u"caf\u00E9 \u0105\n"_s);
    QString target = file;
    if (outcome == u"changed"_s) {
        QVERIFY(put(file, "another program's text\n"));
    } else if (outcome == u"fails"_s) {
        doc.editor.setPlainText(u"caf\u00E9\n"_s);
        target = folder.filePath(u"gone/doc.txt"_s);
    }
    const QByteArray before = contents(file);

    PoolBlocker blocker;
    doc.document.save(target);
    QVERIFY(doc.document.isBusy());
    doc.document.stopForExit();
    QVERIFY2(!blocker.wentOnByItself(), "Exit waited for the file system");
    QCOMPARE(doc.stopped.size(), 0);

    blocker.release();
    QTRY_COMPARE_WITH_TIMEOUT(doc.stopped.size(), 1, 20000);
    QVERIFY(doc.settled());
    QCOMPARE(doc.shown(), QStringList());
    QCOMPARE(contents(file), before);
    QCOMPARE(testFiles::entries(folder.path()), QStringList{u"doc.txt"_s});
    // No command starts anything any more.
    doc.document.save(file);
    doc.document.open(file);
    QVERIFY(!doc.document.isBusy());
}

void tst_ExitDuringSave::nothingToWaitForEndsAtOnce()
{
    const QTemporaryDir folder;
    const QString file = folder.filePath(u"doc.txt"_s);
    QVERIFY(put(file, "read while the program ends\n"));
    Doc doc;
    doc.editor.setPlainText(u"typed"_s);
    doc.document.stopForExit();
    QCOMPARE(doc.stopped.size(), 1);

    // The text of an Open under way is of no more use: the document stops at once.
    Doc reading;
    reading.editor.setPlainText(u"typed"_s);
    PoolBlocker blocker;
    reading.document.open(file);
    reading.document.stopForExit();
    QCOMPARE(reading.stopped.size(), 1);
    blocker.release();
    QVERIFY(reading.settled());
    QCOMPARE(reading.editor.toPlainText(), u"typed"_s);
    QCOMPARE(reading.shown(), QStringList());
}

QTEST_MAIN(tst_ExitDuringSave)
#include "tst_ExitDuringSave.moc"
