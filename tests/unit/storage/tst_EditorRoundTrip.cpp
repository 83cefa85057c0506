// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTemporaryDir>
#include <QTest>

#include "FakePlatform.h"
#include "StorageTestFiles.h"
#include "storage/Document.h"
#include "textbox/TextBox.h"

using namespace Qt::StringLiterals;

// A file opened into the text box and saved without edits comes back byte for byte, whatever its
// line ends and characters: the box keeps the text as the file has it, and nothing is told or
// asked on the way.
class tst_EditorRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void openThenSaveKeepsBytes_data();
    void openThenSaveKeepsBytes();
};

void tst_EditorRoundTrip::openThenSaveKeepsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray everyByte;
    for (int value = 0; value < 256; ++value)
        everyByte.append(char(value));

    QTest::newRow("CR LF") << "one\r\ntwo\r\n"_ba;
    QTest::newRow("LF") << "one\ntwo\n"_ba;
    QTest::newRow("CR") << "one\rtwo\r"_ba;
    QTest::newRow("mixed line ends") << "a\r\nb\nc\rd\r\n"_ba;
    QTest::newRow("lone CR before CR LF") << "a\r\r\nb"_ba;
    QTest::newRow("LF then CR") << "a\n\rb\n\r"_ba;
    QTest::newRow("CR and LF apart") << "a\rb\nc"_ba;
    QTest::newRow("no final line end") << "one\r\ntwo"_ba;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("U+2029") << "a\xE2\x80\xA9"
                               "b\xE2\x80\xA9"_ba;
    QTest::newRow("U+2028") << "a\xE2\x80\xA8"
                               "b\r\n"_ba;
    QTest::newRow("U+FDD0 and U+FDD1") << "\xEF\xB7\x90x\xEF\xB7\x91\n"_ba;
    QTest::newRow("NBSP and tabs") << "a\xC2\xA0"
                                      "b\tc\t\r\n\t\r\n"_ba;
    QTest::newRow("UTF-8 BOM") << "\xEF\xBB\xBF"
                                  "caf\xC3\xA9\r\n"_ba;
    QTest::newRow("UTF-16 LE with BOM") << "\xFF\xFEh\0\xE9\0\r\0\n\0=\xD8\0\xDE\r\0"_ba;
    QTest::newRow("UTF-16 BE with BOM") << "\xFE\xFF\0h\0\n\x20\x29\0\r\0\r\0\n"_ba;
    QTest::newRow("Windows-1252") << "caf\xE9\r\n\x80\n"_ba;
    QTest::newRow("every byte") << everyByte;
}

void tst_EditorRoundTrip::openThenSaveKeepsBytes()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, bytes));
    FakeMessageBoxes messageBoxes;
    TextBox box;
    Document document(box, box, messageBoxes, [] { return std::optional<QString>(); });
    const auto settled = [&document] {
        return QTest::qWaitFor([&document] { return !document.isBusy(); }, 5000);
    };

    for (int round = 0; round < 2; ++round) {
        document.open(file);
        QVERIFY(settled());
        document.save(file);
        QVERIFY(settled());
        QCOMPARE(testFiles::contents(file), bytes);
    }
    QCOMPARE(messageBoxes.warnings, QStringList());
    QCOMPARE(messageBoxes.questions, QStringList());
}

QTEST_MAIN(tst_EditorRoundTrip)
#include "tst_EditorRoundTrip.moc"
