// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTemporaryDir>
#include <QTest>

#include "StorageTestFiles.h"
#include "storage/openAndSave.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Writes until the file system refuses, then frees room for free bytes again; returns the errno
// the file system refused with.
int fillDisk(const QString &path, int free)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const QByteArray block(4096, 'f');
    off_t written = 0;
    int error = 0;
    while (error == 0) {
        const ssize_t count = ::write(fd, block.constData(), size_t(block.size()));
        if (count < 0)
            error = errno;
        written += count > 0 ? count : 0;
    }
    if (free > 0 && ::ftruncate(fd, written - free) != 0)
        error = errno;
    ::close(fd);
    return error;
}

QByteArray oldText(int size)
{
    QByteArray text;
    for (int line = 0; text.size() < size; ++line)
        text += "old line " + QByteArray::number(line) + "\r\n";
    text.truncate(size);
    return text;
}

int setImmutable(const QString &folder, bool immutable)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int flags = 0;
    int error = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 ? 0 : errno;
    if (error == 0) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        error = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0 ? 0 : errno;
    }
    ::close(fd);
    return error;
}

// A file of size old bytes with a second name, which makes a save rewrite it in place.
QString linkedFile(const QString &file, const QString &other, int size)
{
    if (!testFiles::put(file, oldText(size)))
        return u"cannot write"_s;
    if (::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()) != 0)
        return systemError();
    return {};
}

} // namespace

// Faults that permission bits cannot fake for root: a small tmpfs mounted here, filled up or
// made read-only.
class tst_SaveFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void fullDiskLeavesNoNewFile();
    void readOnlyDiskIsRefusedClearly();
    void inPlaceFullDiskPutsOldTextBack();
    void inPlaceWithoutRoomForBackupChangesNothing();
    void inPlaceNeedsRoomOnlyForBackup();
    void lockedFolderRefusesInPlaceRewrite();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }
    QStringList entries() const
    {
        return QDir(m_folder->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    bool m_mounted = false;
};

void tst_SaveFaults::init()
{
    if (::geteuid() != 0)
        QSKIP("Mounting a small file system needs root.");
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    const QByteArray mountPoint = QFile::encodeName(m_folder->path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
        QSKIP(qPrintable(u"Cannot mount a tmpfs: "_s + systemError()));
    m_mounted = true;
}

void tst_SaveFaults::cleanup()
{
    if (m_mounted) {
        setImmutable(path(u"locked"_s), false);
        const QByteArray mountPoint = QFile::encodeName(m_folder->path());
        if (::umount2(mountPoint.constData(), 0) != 0)
            QCOMPARE(::umount2(mountPoint.constData(), MNT_DETACH), 0);
        m_mounted = false;
    }
    m_folder.reset();
}

void tst_SaveFaults::fullDiskKeepsOldFile_data()
{
    QTest::addColumn<int>("free");
    QTest::newRow("full") << 0;
    // The write then gets part of the way, a short write, before the disk refuses.
    QTest::newRow("room for 8 KiB") << 8192;
}

void tst_SaveFaults::fullDiskKeepsOldFile()
{
    QFETCH(int, free);
    const QString file = path(u"doc.txt"_s);
    const QByteArray old = oldText(1000);
    QVERIFY(testFiles::put(file, old));
    QCOMPARE(fillDisk(path(u"filler"_s), free), ENOSPC);

    const openAndSave::WriteResult result =
        openAndSave::writeFile(file, QByteArray(32 * 1024, 'n'));
    QVERIFY(!result.ok);
    QCOMPARE(result.error, u"The disk is full."_s);
    QCOMPARE(testFiles::contents(file), old);
    QCOMPARE(entries(), (QStringList{u"doc.txt"_s, u"filler"_s}));
}

void tst_SaveFaults::fullDiskLeavesNoNewFile()
{
    QCOMPARE(fillDisk(path(u"filler"_s), 0), ENOSPC);

    const openAndSave::WriteResult result = openAndSave::writeFile(path(u"new.txt"_s), "new\r\n");
    QVERIFY(!result.ok);
    QCOMPARE(result.error, u"The disk is full."_s);
    QCOMPARE(entries(), QStringList{u"filler"_s});
}

void tst_SaveFaults::readOnlyDiskIsRefusedClearly()
{
    const QString file = path(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, "old\r\n"));
    const QByteArray mountPoint = QFile::encodeName(m_folder->path());
    if (::mount(nullptr, mountPoint.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        QSKIP(qPrintable(u"Cannot remount read-only: "_s + systemError()));

    for (const QString &name : {u"doc.txt"_s, u"new.txt"_s}) {
        const openAndSave::WriteResult result = openAndSave::writeFile(path(name), "new\r\n");
        QVERIFY(!result.ok);
        QCOMPARE(result.error, u"The disk is read-only."_s);
    }
    QCOMPARE(testFiles::contents(file), QByteArray("old\r\n"));
    QCOMPARE(entries(), QStringList{u"doc.txt"_s});
}

void tst_SaveFaults::inPlaceFullDiskPutsOldTextBack()
{
    // A second name makes the save rewrite the file in place; the disk has room for the backup,
    // and the full disk stops the rewrite part way.
    const QString file = path(u"doc.txt"_s);
    const QString other = path(u"other.txt"_s);
    QCOMPARE(linkedFile(file, other, 6000), QString());
    QCOMPARE(fillDisk(path(u"filler"_s), 8192), ENOSPC);

    const openAndSave::WriteResult result =
        openAndSave::writeFile(file, QByteArray(40 * 1024, 'n'));
    QVERIFY(!result.ok);
    QCOMPARE(result.error, u"The disk is full."_s);
    QCOMPARE(testFiles::contents(file), oldText(6000));
    QCOMPARE(testFiles::contents(other), oldText(6000));
    QCOMPARE(testFiles::status(file)->st_nlink, nlink_t(2));
    QCOMPARE(testFiles::leftovers(m_folder->path()), QStringList());
}

void tst_SaveFaults::inPlaceWithoutRoomForBackupChangesNothing()
{
    const QString file = path(u"doc.txt"_s);
    QCOMPARE(linkedFile(file, path(u"other.txt"_s), 6000), QString());
    QCOMPARE(fillDisk(path(u"filler"_s), 0), ENOSPC);

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new\r\n");
    QVERIFY(!result.ok);
    QCOMPARE(result.error,
             u"The file has to be rewritten in place, so a copy of its old text is first put "
             "beside it as \"doc.txt.tavlo-backup\". That copy could not be made: The disk is "
             "full. The file was not changed."_s);
    QCOMPARE(testFiles::contents(file), oldText(6000));
    QCOMPARE(testFiles::leftovers(m_folder->path()), QStringList());
}

void tst_SaveFaults::inPlaceNeedsRoomOnlyForBackup()
{
    // The new text goes over the blocks of the old one.
    const QString file = path(u"doc.txt"_s);
    QCOMPARE(linkedFile(file, path(u"other.txt"_s), 6000), QString());
    QCOMPARE(fillDisk(path(u"filler"_s), 8192), ENOSPC);

    const QByteArray shorter(5000, 'n');
    const openAndSave::WriteResult result = openAndSave::writeFile(file, shorter);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::contents(path(u"other.txt"_s)), shorter);
}

void tst_SaveFaults::lockedFolderRefusesInPlaceRewrite()
{
    // An immutable folder refuses new names even to root, while its files stay writable: there
    // is no room for a backup, so the file is not rewritten without one.
    const QString locked = path(u"locked"_s);
    QVERIFY(QDir(m_folder->path()).mkdir(u"locked"_s));
    const QString file = locked + u"/doc.txt"_s;
    QVERIFY(testFiles::put(file, "old\r\n"));
    if (const int error = setImmutable(locked, true))
        QSKIP(qPrintable(u"Cannot lock the folder: "_s + QString::fromLocal8Bit(strerror(error))));

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new\r\n");
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(u"could not be made: The operation is not permitted."_s),
             qPrintable(result.error));
    QCOMPARE(testFiles::contents(file), QByteArray("old\r\n"));

    const openAndSave::WriteResult refused = openAndSave::writeFile(locked + u"/new.txt"_s, "x");
    QVERIFY(!refused.ok);
    QCOMPARE(refused.error, u"The operation is not permitted."_s);
}

QTEST_GUILESS_MAIN(tst_SaveFaults)
#include "tst_SaveFaults.moc"
