// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "StorageTestFiles.h"
#include "platform/posix/PosixRead.h"
#include "platform/posix/UndecodableNames.h"
#include "storage/openAndSave.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The raw form of a POSIX ACL as Linux keeps it in system.posix_acl_* attributes.
QByteArray rawAcl(const QList<std::array<quint32, 3>> &entries)
{
    QByteArray raw;
    const auto append = [&raw](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            raw += char((value >> (8 * i)) & 0xFF);
    };
    append(2, 4); // version
    for (const auto &[tag, permissions, id] : entries) {
        append(tag, 2);
        append(permissions, 2);
        append(id, 4);
    }
    return raw;
}

constexpr quint32 userObj = 0x01, user = 0x02, groupObj = 0x04, mask = 0x10, other = 0x20;
constexpr quint32 undefinedId = 0xFFFFFFFF;

bool isRoot()
{
    return ::geteuid() == 0;
}

// Qt cannot name a file whose name is not UTF-8, so such files are read by their bytes.
std::string rawContents(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

} // namespace

class tst_OpenAndSave : public QObject {
    Q_OBJECT

private slots:
    void init();

    void readsWholeFile();
    void readRefusals_data();
    void readRefusals();
    void readFifoReturnsPromptly();
    void readsProcFileThatClaimsSizeZero_data();
    void readsProcFileThatClaimsSizeZero();
    void readRefusesTooLargeFile();
    void readStopsAtLimitWhateverTheSizeSaid();

    void writeCreatesFileWithUmask();
    void writeReplacesWholeFile();
    void writeKeepsPermissionBits_data();
    void writeKeepsPermissionBits();
    void writeKeepsOwnerAndGroup();
    void writeKeepsExtendedAttribute();
    void writeKeepsAcl();
    void writeDropsAclTheFileDidNotHave();
    void writeKeepsHardLinks();
    void writeInPlaceKeepsEarlierBackup();
    void writeThroughSymlinks();
    void writeDoesNotFollowDanglingSymlink();
    void writeRefusals_data();
    void writeRefusals();
    void writeToFifoReturnsPromptly();
    void writeWithLongFileName();

    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();

private:
    QString path(const QString &name) const
    {
        return QDir::isAbsolutePath(name) ? name : m_folder->filePath(name);
    }
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_OpenAndSave::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void tst_OpenAndSave::readsWholeFile()
{
    // Larger than one read, with every byte value.
    QByteArray bytes(300 * 1024, Qt::Uninitialized);
    QRandomGenerator random(12);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    QVERIFY(testFiles::put(path(u"a.bin"_s), bytes));
    QVERIFY(testFiles::put(path(u"empty.txt"_s), {}));

    const openAndSave::ReadResult whole = openAndSave::readFile(path(u"a.bin"_s));
    QVERIFY2(whole.ok, qPrintable(whole.error));
    QCOMPARE(whole.bytes, bytes);
    QCOMPARE(whole.error, QString());

    const openAndSave::ReadResult empty = openAndSave::readFile(path(u"empty.txt"_s));
    QVERIFY(empty.ok);
    QCOMPARE(empty.bytes, QByteArray());
}

void tst_OpenAndSave::readRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    QTest::newRow("missing") << u"missing.txt"_s << u"No such file or directory."_s;
    QTest::newRow("folder") << u"folder"_s << u"It is a folder, not a file."_s;
    QTest::newRow("through a file")
        << u"plain.txt/inside.txt"_s << u"A part of the path is not a folder."_s;
    QTest::newRow("device") << u"/dev/null"_s << u"It is not a regular file."_s;
    QTest::newRow("symlink loop") << u"loop"_s << u"The path has too many symbolic links."_s;
    QTest::newRow("dangling link") << u"dangling"_s << u"No such file or directory."_s;
    QTest::newRow("name of 256 bytes") << QString(256, u'n') << u"The file name is too long."_s;
}

void tst_OpenAndSave::readRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    QVERIFY(QDir(m_folder->path()).mkdir(u"folder"_s));
    QVERIFY(testFiles::put(path(u"plain.txt"_s), "text"));
    QVERIFY(QFile::link(path(u"loop"_s), path(u"loop"_s)));
    QVERIFY(QFile::link(path(u"nowhere"_s), path(u"dangling"_s)));

    const openAndSave::ReadResult result = openAndSave::readFile(path(name));
    QVERIFY(!result.ok);
    QCOMPARE(result.error, error);
    QCOMPARE(result.bytes, QByteArray());
    // Only a free name in a folder that exists may become a new note.
    QCOMPARE(result.missing, name == u"missing.txt"_s);
}

void tst_OpenAndSave::readFifoReturnsPromptly()
{
    const QString fifo = path(u"fifo"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto result = std::make_shared<openAndSave::ReadResult>();
    QVERIFY(
        testFiles::returnsWithin(5000, [result, fifo] { *result = openAndSave::readFile(fifo); }));
    QVERIFY(!result->ok);
    QCOMPARE(result->error, u"It is not a regular file."_s);
}

void tst_OpenAndSave::readsProcFileThatClaimsSizeZero_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("within");
    QTest::newRow("status") << u"/proc/self/status"_s << "Name:"_ba
                            << "\nPid:"_ba;
    QTest::newRow("version") << u"/proc/version"_s << "Linux version "_ba
                             << "\n"_ba;
}

void tst_OpenAndSave::readsProcFileThatClaimsSizeZero()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, within);
    QCOMPARE(testFiles::status(file)->st_size, 0);
    const openAndSave::ReadResult result = openAndSave::readFile(file);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(result.bytes.startsWith(start));
    QVERIFY(result.bytes.contains(within));
}

void tst_OpenAndSave::readRefusesTooLargeFile()
{
    const QString big = path(u"big.txt"_s);
    QVERIFY(testFiles::put(big, {}));
    QCOMPARE(::truncate(QFile::encodeName(big).constData(), 300 * 1024 * 1024), 0);

    const openAndSave::ReadResult result = openAndSave::readFile(big);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(u"300.0 MiB"_s), qPrintable(result.error));
    QVERIFY2(result.error.contains(u"256 MiB"_s), qPrintable(result.error));
    QCOMPARE(result.bytes, QByteArray());

    QCOMPARE(::truncate(QFile::encodeName(big).constData(), openAndSave::maxFileSize), 0);
    QVERIFY(openAndSave::readFile(big).ok);
}

void tst_OpenAndSave::readStopsAtLimitWhateverTheSizeSaid()
{
    const platform::FileContents result = platform::readRegularFile(u"/proc/self/status"_s, 16);
    QCOMPARE(result.bytes, QByteArray());
    QVERIFY2(result.error.contains(u"larger than the limit of 16 bytes"_s),
             qPrintable(result.error));
}

void tst_OpenAndSave::writeCreatesFileWithUmask()
{
    const mode_t umask = ::umask(0);
    ::umask(umask);
    const QString file = path(u"new.txt"_s);

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new\r\n");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::contents(file), QByteArray("new\r\n"));
    QCOMPARE(testFiles::status(file)->st_mode & 07777, 0666 & ~umask);
    QCOMPARE(testFiles::leftovers(m_folder->path()), QStringList());
}

void tst_OpenAndSave::writeReplacesWholeFile()
{
    const QString file = path(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, QByteArray(10000, 'o')));
    const ino_t before = testFiles::status(file)->st_ino;

    for (const QByteArray &bytes : {QByteArray("short"), QByteArray(), QByteArray(70000, 'n')}) {
        const openAndSave::WriteResult result = openAndSave::writeFile(file, bytes);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(testFiles::contents(file), bytes);
    }
    // Replaced by a new file rather than rewritten, which a failed write could have cut short.
    QVERIFY(testFiles::status(file)->st_ino != before);
    QCOMPARE(testFiles::leftovers(m_folder->path()), QStringList());
}

void tst_OpenAndSave::writeKeepsPermissionBits_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0600") << 0600;
    QTest::newRow("0640") << 0640;
    QTest::newRow("0604") << 0604;
    QTest::newRow("0755") << 0755;
    QTest::newRow("set-user-ID 04755") << 04755;
    QTest::newRow("set-group-ID 02750") << 02750;
    QTest::newRow("sticky 01644") << 01644;
}

void tst_OpenAndSave::writeKeepsPermissionBits()
{
    QFETCH(int, mode);
    const QString file = path(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, "old"));
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode_t(mode)), 0);

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::contents(file), QByteArray("new"));
    QCOMPARE(int(testFiles::status(file)->st_mode & 07777), mode);
}

void tst_OpenAndSave::writeKeepsOwnerAndGroup()
{
    if (!isRoot())
        QSKIP("Only root can give a file to another user.");
    const QString file = path(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, "old"));
    QCOMPARE(::chown(QFile::encodeName(file).constData(), 4321, 8765), 0);
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 02640), 0);

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    const struct stat after = *testFiles::status(file);
    QCOMPARE(after.st_uid, uid_t(4321));
    QCOMPARE(after.st_gid, gid_t(8765));
    QCOMPARE(after.st_mode & 07777, mode_t(02640));
    QCOMPARE(testFiles::contents(file), QByteArray("new"));
}

void tst_OpenAndSave::writeKeepsExtendedAttribute()
{
    const QString file = path(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, "old"));
    const QByteArray native = QFile::encodeName(file);
    if (::setxattr(native.constData(), "user.tavlo.note", "kept", 4, 0) != 0)
        QSKIP(qPrintable(u"No user attributes here: "_s + QString::fromLocal8Bit(strerror(errno))));

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::attribute(file, "user.tavlo.note"), QByteArray("kept"));
    QCOMPARE(testFiles::contents(file), QByteArray("new"));
}

void tst_OpenAndSave::writeKeepsAcl()
{
    const QString file = path(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, "old"));
    const QByteArray acl = rawAcl({{userObj, 6, undefinedId},
                                   {user, 4, 1234},
                                   {groupObj, 4, undefinedId},
                                   {mask, 4, undefinedId},
                                   {other, 0, undefinedId}});
    const QByteArray native = QFile::encodeName(file);
    if (::setxattr(native.constData(), "system.posix_acl_access", acl.constData(),
                   size_t(acl.size()), 0) != 0) {
        QSKIP(qPrintable(u"No ACLs here: "_s + QString::fromLocal8Bit(strerror(errno))));
    }
    const std::optional<QByteArray> before = testFiles::attribute(file, "system.posix_acl_access");
    const mode_t modeBefore = testFiles::status(file)->st_mode;
    QVERIFY(before);

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::attribute(file, "system.posix_acl_access"), before);
    QCOMPARE(testFiles::status(file)->st_mode, modeBefore);
}

void tst_OpenAndSave::writeDropsAclTheFileDidNotHave()
{
    // The temporary file inherits the folder's default ACL; the saved file must not keep it.
    const QByteArray folder = QFile::encodeName(m_folder->path());
    const QByteArray defaultAcl = rawAcl({{userObj, 7, undefinedId},
                                          {user, 7, 1234},
                                          {groupObj, 5, undefinedId},
                                          {mask, 7, undefinedId},
                                          {other, 5, undefinedId}});
    if (::setxattr(folder.constData(), "system.posix_acl_default", defaultAcl.constData(),
                   size_t(defaultAcl.size()), 0) != 0) {
        QSKIP(qPrintable(u"No ACLs here: "_s + QString::fromLocal8Bit(strerror(errno))));
    }
    const QString file = path(u"doc.txt"_s);
    QVERIFY(testFiles::put(file, "old"));
    QCOMPARE(::removexattr(QFile::encodeName(file).constData(), "system.posix_acl_access"), 0);
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0640), 0);

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(!testFiles::attribute(file, "system.posix_acl_access"));
    QCOMPARE(errno, ENODATA);
    QCOMPARE(testFiles::status(file)->st_mode & 07777, mode_t(0640));
}

void tst_OpenAndSave::writeKeepsHardLinks()
{
    const QString file = path(u"doc.txt"_s);
    const QString other = path(u"other-name.txt"_s);
    QVERIFY(testFiles::put(file, "old old old"));
    QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);
    const ino_t inode = testFiles::status(file)->st_ino;

    for (const QByteArray &bytes : {QByteArray("new"), QByteArray("a longer new text")}) {
        const openAndSave::WriteResult result = openAndSave::writeFile(file, bytes);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(testFiles::contents(file), bytes);
        QCOMPARE(testFiles::contents(other), bytes);
        QCOMPARE(testFiles::status(file)->st_nlink, nlink_t(2));
        QCOMPARE(testFiles::status(file)->st_ino, inode);
    }
    QCOMPARE(testFiles::leftovers(m_folder->path()), QStringList());
}

void tst_OpenAndSave::writeInPlaceKeepsEarlierBackup()
{
    // The backup of a save that was killed may be the only whole copy of the text.
    const QString file = path(u"doc.txt"_s);
    const QString backup = path(u"doc.txt.tavlo-backup"_s);
    QVERIFY(testFiles::put(file, "half new"));
    QVERIFY(testFiles::put(backup, "whole old"));
    QCOMPARE(::link(QFile::encodeName(file).constData(),
                    QFile::encodeName(path(u"other.txt"_s)).constData()),
             0);

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new");
    QVERIFY(!result.ok);
    QCOMPARE(result.error, u"An earlier save of this file did not finish, and "
                           "\"doc.txt.tavlo-backup\" beside it still holds the text from before "
                           "that save. The file was not changed. Look at that copy, then move or "
                           "delete it and save again."_s);
    QCOMPARE(testFiles::contents(file), QByteArray("half new"));
    QCOMPARE(testFiles::contents(backup), QByteArray("whole old"));
}

void tst_OpenAndSave::writeThroughSymlinks()
{
    QVERIFY(QDir(m_folder->path()).mkpath(u"real/deeper"_s));
    const QString target = path(u"real/deeper/doc.txt"_s);
    QVERIFY(testFiles::put(target, "old"));
    // An absolute link to a relative link that points into a subfolder.
    QCOMPARE(::symlink("deeper/doc.txt", QFile::encodeName(path(u"real/relative"_s)).constData()),
             0);
    QVERIFY(QFile::link(path(u"real/relative"_s), path(u"absolute"_s)));

    const openAndSave::WriteResult result = openAndSave::writeFile(path(u"absolute"_s), "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::contents(target), QByteArray("new"));
    QVERIFY(S_ISLNK(testFiles::linkStatus(path(u"absolute"_s))->st_mode));
    QVERIFY(S_ISLNK(testFiles::linkStatus(path(u"real/relative"_s))->st_mode));
    QVERIFY(S_ISREG(testFiles::linkStatus(target)->st_mode));
    QCOMPARE(testFiles::leftovers(path(u"real/deeper"_s)), QStringList());
}

void tst_OpenAndSave::writeDoesNotFollowDanglingSymlink()
{
    // No file is there, so the name is taken as a new note's, and a link has taken it.
    const QString link = path(u"link.txt"_s);
    QCOMPARE(::symlink("not-yet.txt", QFile::encodeName(link).constData()), 0);
    const openAndSave::WriteResult asked = openAndSave::writeFile(link, "created");
    QVERIFY(asked.changedOnDisk);

    // Agreed to: the name gets the file, and the link leads nowhere new.
    platform::ExpectedFile agreed;
    agreed.replaceAny = true;
    const openAndSave::WriteResult result = openAndSave::writeFile(link, "created", agreed);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::contents(link), QByteArray("created"));
    QVERIFY(S_ISREG(testFiles::linkStatus(link)->st_mode));
    QVERIFY(!testFiles::linkStatus(path(u"not-yet.txt"_s)));
}

void tst_OpenAndSave::writeRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    // Saved as a new note, which expects the name to be free: a name that cannot be used at all
    // is refused at once, not asked about as if something had taken it.
    QTest::addColumn<bool>("newNote");

    QTest::newRow("folder") << u"folder"_s << u"It is a folder, not a file."_s << false;
    QTest::newRow("link to folder")
        << u"folder-link"_s << u"It is a folder, not a file."_s << false;
    QTest::newRow("device") << u"/dev/null"_s << u"It is not a regular file."_s << false;
    QTest::newRow("missing folder")
        << u"nowhere/doc.txt"_s << u"No such file or directory."_s << false;
    QTest::newRow("through a file")
        << u"plain.txt/doc.txt"_s << u"A part of the path is not a folder."_s << false;
    QTest::newRow("symlink loop") << u"loop"_s << u"The path has too many symbolic links."_s
                                  << false;
    QTest::newRow("symlink loop, new note")
        << u"loop"_s << u"The path has too many symbolic links."_s << true;
    QTest::newRow("name of 256 bytes, new note")
        << QString(256, u'n') << u"The file name is too long."_s << true;
    QTest::newRow("file of the system")
        << u"/proc/version"_s
        << (isRoot() ? u"It is a file of the system, in a folder that takes no new files (as in "
                       "/proc and /sys), so Tavlo cannot save over it."_s
                     : u"Permission denied."_s)
        << false;
}

void tst_OpenAndSave::writeRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    QFETCH(bool, newNote);
    QVERIFY(QDir(m_folder->path()).mkdir(u"folder"_s));
    QVERIFY(QFile::link(path(u"folder"_s), path(u"folder-link"_s)));
    QVERIFY(testFiles::put(path(u"plain.txt"_s), "text"));
    QVERIFY(QFile::link(path(u"loop"_s), path(u"loop"_s)));

    const openAndSave::WriteResult result =
        newNote ? openAndSave::writeFile(path(name), "new", platform::ExpectedFile())
                : openAndSave::writeFile(path(name), "new");
    QVERIFY(!result.ok);
    QCOMPARE(result.error, error);
    QCOMPARE(testFiles::contents(path(u"plain.txt"_s)), QByteArray("text"));
    QCOMPARE(testFiles::leftovers(m_folder->path()), QStringList());
}

void tst_OpenAndSave::writeToFifoReturnsPromptly()
{
    const QString fifo = path(u"fifo"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto result = std::make_shared<openAndSave::WriteResult>();
    QVERIFY(testFiles::returnsWithin(
        5000, [result, fifo] { *result = openAndSave::writeFile(fifo, "text"); }));
    QVERIFY(!result->ok);
    QCOMPARE(result->error, u"It is not a regular file."_s);
    QVERIFY(S_ISFIFO(testFiles::linkStatus(fifo)->st_mode));
}

void tst_OpenAndSave::writeWithLongFileName()
{
    // 85 three-byte characters: 255 bytes, the longest name there is, so the temporary name
    // must be shortened.
    const QString name = QString(85, QChar(0x20AC));
    QCOMPARE(QFile::encodeName(name).size(), 255);
    const QString file = path(name);
    QVERIFY(testFiles::put(file, "old"));

    const openAndSave::WriteResult result = openAndSave::writeFile(file, "new");
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(testFiles::contents(file), QByteArray("new"));
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
}

void tst_OpenAndSave::namesThatAreNotUtf8_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refused");
    const QString mark(QChar::ReplacementCharacter);

    QTest::newRow("valid UTF-8") << u"caf\u00e9.txt"_s << false;
    QTest::newRow("real U+FFFD") << mark + u"real.txt"_s << false;
    QTest::newRow("U+FFFD for each bad byte") << mark + mark + u".txt"_s << true;
    QTest::newRow("U+FFFD for a run of them") << mark + u".txt"_s << true;
    QTest::newRow("in a folder") << mark + mark + u"-folder/new.txt"_s << true;
    QTest::newRow("both exist") << mark + u"both.txt"_s << true;
}

void tst_OpenAndSave::namesThatAreNotUtf8()
{
    QFETCH(QString, name);
    QFETCH(bool, refused);
    const std::string folder = QFile::encodeName(m_folder->path()).toStdString();
    std::ofstream(folder + "/\xff\xfe.txt") << "raw";
    QCOMPARE(::mkdir((folder + "/\xff\xfe-folder").c_str(), 0700), 0);
    std::ofstream(folder + "/\xfe"
                           "both.txt")
        << "raw";
    QVERIFY(testFiles::put(path(u"\uFFFDboth.txt"_s), "real"));
    QVERIFY(testFiles::put(path(u"\uFFFDreal.txt"_s), "real"));
    const QString file = path(name);
    const bool existed = QFileInfo::exists(file);
    const QByteArray before = testFiles::contents(file);

    QCOMPARE(openAndSave::readFile(file).missing, !refused && !existed);
    const openAndSave::WriteResult write = openAndSave::writeFile(file, "new");
    const openAndSave::ReadResult read = openAndSave::readFile(file);
    QCOMPARE(write.error, refused ? platform::undecodableNameText() : QString());
    QCOMPARE(read.error, write.error);
    QCOMPARE(read.bytes, refused ? QByteArray() : QByteArray("new"));
    // Nothing is made or changed under the name as typed, and the files it stands for keep theirs.
    QCOMPARE(QFileInfo::exists(file), existed || !refused);
    QCOMPARE(testFiles::contents(file), refused ? before : QByteArray("new"));
    QCOMPARE(rawContents(folder + "/\xff\xfe.txt"), "raw");
}

QTEST_GUILESS_MAIN(tst_OpenAndSave)
#include "tst_OpenAndSave.moc"
