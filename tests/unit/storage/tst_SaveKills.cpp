// SPDX-License-Identifier: GPL-3.0-or-later
// A save killed at each file-system call it makes in turn, in a forked child: whatever the moment,
// the whole old text or the whole new text is on the disk where the user finds it.
#include <QTemporaryDir>
#include <QTest>

#include "KillPoints.h"
#include "StorageTestFiles.h"
#include "storage/openAndSave.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

enum class Ending { Killed, Saved, Failed };

QByteArray lines(const QByteArray &word, int size)
{
    QByteArray text;
    for (int line = 0; text.size() < size; ++line)
        text += word + " line " + QByteArray::number(line) + '\n';
    text.truncate(size);
    return text;
}

Ending saveInChild(const QString &path, const QByteArray &bytes, int killAt,
                   const QByteArray &failing)
{
    const pid_t child = ::fork();
    if (child == 0) {
        killPoints::failEvery(failing, EPERM);
        killPoints::arm(killAt);
        ::_exit(openAndSave::writeFile(path, bytes).ok ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return Ending::Failed;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return Ending::Killed;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Ending::Saved : Ending::Failed;
}

QString nameOf(int number)
{
    return number == 1 ? u"doc.txt"_s : u"name%1.txt"_s.arg(number);
}

// Every name of the file shows the same text, and it is the old or the new one; or a backup
// beside it holds the old one.
bool textIsWhole(const QDir &folder, int names, const QByteArray &old, const QByteArray &text)
{
    const QByteArray saved = testFiles::contents(folder.filePath(nameOf(1)));
    for (int number = 2; number <= names; ++number) {
        if (testFiles::contents(folder.filePath(nameOf(number))) != saved)
            return false;
    }
    return saved == old || saved == text ||
           testFiles::contents(folder.filePath(u"doc.txt.tavlo-backup"_s)) == old;
}

} // namespace

class tst_SaveKills : public QObject {
    Q_OBJECT

private slots:
    void killedSaveLeavesTextWhole_data();
    void killedSaveLeavesTextWhole();
};

void tst_SaveKills::killedSaveLeavesTextWhole_data()
{
    QTest::addColumn<int>("names");
    QTest::addColumn<QByteArray>("failing");
    QTest::newRow("one name") << 1 << QByteArray();
    QTest::newRow("second hard link") << 2 << QByteArray();
    QTest::newRow("folder refuses the rename") << 1 << QByteArray("renameat");
    QTest::newRow("permissions not copied") << 1 << QByteArray("fchmod");
}

void tst_SaveKills::killedSaveLeavesTextWhole()
{
    QFETCH(int, names);
    QFETCH(QByteArray, failing);
    const QByteArray old = lines("old", 256 * 1024);
    const QByteArray text = lines("new", 192 * 1024);
    QStringList broken;
    int killAt = 1;
    for (;; ++killAt) {
        const QTemporaryDir folder;
        const QString file = folder.filePath(nameOf(1));
        QVERIFY(testFiles::put(file, old));
        for (int number = 2; number <= names; ++number) {
            const QByteArray name = QFile::encodeName(folder.filePath(nameOf(number)));
            QCOMPARE(::link(QFile::encodeName(file).constData(), name.constData()), 0);
        }
        const Ending ending = saveInChild(file, text, killAt, failing);
        if (ending != Ending::Killed) {
            QCOMPARE(ending, Ending::Saved);
            QCOMPARE(testFiles::contents(file), text);
            break;
        }
        if (!textIsWhole(QDir(folder.path()), names, old, text))
            broken += QString::number(killAt);
    }
    QVERIFY2(broken.isEmpty(),
             qPrintable(u"Of %1 calls, a kill at these left no whole text: %2"_s.arg(killAt - 1)
                            .arg(broken.join(u", "_s))));
}

QTEST_GUILESS_MAIN(tst_SaveKills)
#include "tst_SaveKills.moc"
