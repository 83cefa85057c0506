// SPDX-License-Identifier: GPL-3.0-or-later
// What a killed save left beside a file goes at the next save, but only what is surely Tavlo's,
// no longer in use, and not the only copy of some text.
#include <QTemporaryDir>
#include <QTest>

#include "StorageTestFiles.h"
#include "platform/posix/PosixBackup.h"
#include "platform/posix/PosixStaleFiles.h"
#include "storage/openAndSave.h"

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

enum class Kind { Stale, Locked, Symlink, OtherOwner };

} // namespace

class tst_StaleSaveFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void removesOnlyWhatIsStale_data();
    void removesOnlyWhatIsStale();
    void keepsFilesOfRunningSave();
    void saveRemovesStaleTemporaryFile();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_StaleSaveFiles::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(testFiles::put(path(u"doc.txt"_s), "text"));
}

void tst_StaleSaveFiles::removesOnlyWhatIsStale_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("removed");

    const QString temp = u".doc.txt.tavlo-Ab3xY9"_s;
    QTest::newRow("stale temporary") << temp << QByteArray("half") << Kind::Stale << true;
    QTest::newRow("temporary in use") << temp << QByteArray("half") << Kind::Locked << false;
    QTest::newRow("symbolic link") << temp << QByteArray("aim") << Kind::Symlink << false;
    QTest::newRow("another owner") << temp << QByteArray("half") << Kind::OtherOwner << false;
    QTest::newRow("another file's")
        << u".notes.txt.tavlo-Ab3xY9"_s << QByteArray("half") << Kind::Stale << false;
    QTest::newRow("longer suffix")
        << u".doc.txt.tavlo-Ab3xY9z"_s << QByteArray("half") << Kind::Stale << false;
    QTest::newRow("suffix with a dot")
        << u".doc.txt.tavlo-Ab3.Y9"_s << QByteArray("half") << Kind::Stale << false;
    const QString backup = u"doc.txt.tavlo-backup"_s;
    QTest::newRow("backup like the file") << backup << QByteArray("text") << Kind::Stale << true;
    QTest::newRow("backup unlike the file")
        << backup << QByteArray("old text") << Kind::Stale << false;
    QTest::newRow("backup in use") << backup << QByteArray("text") << Kind::Locked << false;
    const QString ownNamed = u"doc.txt.tavlo-backup-Ab3xY9"_s;
    QTest::newRow("own-named backup like the file")
        << ownNamed << QByteArray("text") << Kind::Stale << true;
    QTest::newRow("own-named backup unlike the file")
        << ownNamed << QByteArray("old text") << Kind::Stale << false;
}

void tst_StaleSaveFiles::removesOnlyWhatIsStale()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(Kind, kind);
    QFETCH(bool, removed);
    const QByteArray candidate = QFile::encodeName(path(name));
    if (kind == Kind::Symlink) {
        QVERIFY(testFiles::put(path(u"aim"_s), bytes));
        QCOMPARE(::symlink("aim", candidate.constData()), 0);
    } else {
        QVERIFY(testFiles::put(path(name), bytes));
    }
    if (kind == Kind::OtherOwner && ::lchown(candidate.constData(), 4321, 4321) != 0)
        QSKIP("Only root can give a file to another user.");
    // Another open file description, as another running save has.
    const int lock = ::open(candidate.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(lock >= 0);
    if (kind == Kind::Locked)
        QCOMPARE(::flock(lock, LOCK_EX | LOCK_NB), 0);

    platform::removeStaleSaveFiles(QFile::encodeName(path(u"doc.txt"_s)));
    ::close(lock);
    QCOMPARE(!testFiles::linkStatus(path(name)), removed);
    QCOMPARE(testFiles::contents(path(u"doc.txt"_s)), QByteArray("text"));
    if (kind == Kind::Symlink)
        QCOMPARE(testFiles::contents(path(u"aim"_s)), bytes);
}

void tst_StaleSaveFiles::keepsFilesOfRunningSave()
{
    // Both locked from creation on, past the closing of the written file; the backup even while
    // it is like the file.
    const QByteArray target = QFile::encodeName(path(u"doc.txt"_s));
    platform::TempFile temp(target);
    QCOMPARE(temp.create(0600), 0);
    QCOMPARE(temp.close(), 0);
    platform::Backup backup(target);
    QCOMPARE(backup.create("text"), 0);

    platform::removeStaleSaveFiles(target);
    QVERIFY(testFiles::status(QFile::decodeName(temp.path())));
    QCOMPARE(testFiles::contents(QFile::decodeName(backup.path())), QByteArray("text"));
}

void tst_StaleSaveFiles::saveRemovesStaleTemporaryFile()
{
    QVERIFY(testFiles::put(path(u".doc.txt.tavlo-Ab3xY9"_s), "half"));
    const openAndSave::WriteResult result = openAndSave::writeFile(path(u"doc.txt"_s), "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::leftovers(m_folder->path()), QStringList());
}

QTEST_GUILESS_MAIN(tst_StaleSaveFiles)
#include "tst_StaleSaveFiles.moc"
