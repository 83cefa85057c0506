// SPDX-License-Identifier: GPL-3.0-or-later
// Saves and opens that another user on the machine tries to turn against the user: names planted
// in a folder that everyone may write to, a folder or a name swapped in the middle of one. The
// other user is a forked child that takes an unused user ID; the folder is swapped at a chosen
// file-system call through the fault shim, never by timing. fs.protected_symlinks and
// fs.protected_regular stay as the machine has them: the save keeps its own rules whatever they
// are.
#include <QTemporaryDir>
#include <QTest>

#include "KillPoints.h"
#include "StorageTestFiles.h"
#include "platform/posix/PosixRead.h"
#include "platform/posix/PosixSave.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr uid_t otherUser = 65534;

enum class Plant {
    Nothing,
    Link,
    FolderLink,
    File,
    BackupLink,
    BackupFile,
    FolderSwap,
    // Second names of files that are not the note's: the user's file that others may write, and
    // the user's own link to their private file.
    HardLinkToShared,
    HardLinkToOwnLink,
    // A second name of another user's file that anyone may write.
    HardLinkToOthers,
    // The note's own file is removed after it was read.
    Removal,
    // Another user's file, which they swap for their link to the user's private file just as the
    // user opens it.
    SwapForLink,
};
enum class Folder { Shared, SharedOfOther, OfOther, Closed };
enum class Ending { Saved, ChangedOnDisk, Refused };

const QByteArray victimText = "the user's own file\n";
const QByteArray plantedText = "planted\n";
const QByteArray oldText = "old text\n";
const QByteArray newText = "the note, private\n";
const QByteArray sharedText = "everyone's\n";

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// Runs work in a child process as the other user and returns what it returned, or -1.
int exitAsOtherUser(const std::function<int()> &work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 &&
                             ::setresgid(otherUser, otherUser, otherUser) == 0 &&
                             ::setresuid(otherUser, otherUser, otherUser) == 0;
        ::_exit(dropped ? work() : -1);
    }
    int status = 0;
    if (child <= 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// True when the work, done as the other user, did what it had to.
bool asOtherUser(const std::function<bool()> &work)
{
    return exitAsOtherUser([&] { return work() ? 0 : 1; }) == 0;
}

bool plantFile(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    const bool written =
        fd >= 0 && ::fchmod(fd, 0666) == 0 &&
        ::write(fd, plantedText.constData(), size_t(plantedText.size())) == plantedText.size();
    return ::close(fd) == 0 && written;
}

bool plantLink(const QString &aim, const QString &path)
{
    return ::symlink(native(aim).constData(), native(path).constData()) == 0;
}

// The kernel lets another user do this with fs.protected_hardlinks off, or with a file they may
// write to; the test makes the link itself, whatever the machine's setting.
bool plantHardLink(const QString &aim, const QString &path)
{
    return ::linkat(AT_FDCWD, native(aim).constData(), AT_FDCWD, native(path).constData(), 0) == 0;
}

QString ownerName(uid_t owner)
{
    const struct passwd *entry = ::getpwuid(owner);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : u"user %1"_s.arg(owner);
}

// What lies under a name, link or not, and what it holds.
QString fingerprint(const QString &path)
{
    const std::optional<struct stat> status = testFiles::linkStatus(path);
    if (!status)
        return u"none"_s;
    return u"%1 %2 %3 %4"_s.arg(status->st_mode, 0, 8)
        .arg(status->st_uid)
        .arg(status->st_ino)
        .arg(QString::fromLatin1(S_ISREG(status->st_mode) ? testFiles::contents(path) : ""));
}

// The save, by the user or, where the user is not to see into the folder, by the other user;
// from the other user's process only its status comes back.
platform::SaveResult save(bool byOtherUser, const QString &path,
                          const platform::ExpectedFile &expected)
{
    if (!byOtherUser)
        return platform::saveFileContents(path, newText, expected);
    platform::SaveResult saved;
    saved.status = platform::SaveResult::Status(exitAsOtherUser(
        [&] { return int(platform::saveFileContents(path, newText, expected).status); }));
    return saved;
}

platform::ExpectedFile expecting(bool replaceAny)
{
    platform::ExpectedFile expected;
    expected.replaceAny = replaceAny;
    return expected;
}

} // namespace

class tst_HostileSaves : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void othersCannotTurnTheSave_data();
    void othersCannotTurnTheSave();
    void othersCannotTurnTheOpen_data();
    void othersCannotTurnTheOpen();

private:
    QString path(const QString &name) const { return m_root->filePath(name); }
    bool makeFolder(Folder folder);
    bool plant(Plant plant);
    bool armFolderSwap(const QString &rootOnly);
    void verifyUntouched(const QString &written);
    void verifyOnlyTheNote(const struct stat &status, int ownNames);
    void verifyCopies(bool backupPlanted, bool copyLeft, const platform::SaveResult &saved);

    std::unique_ptr<QTemporaryDir> m_root;
};

void tst_HostileSaves::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("Playing another user takes root: the test switches a child to user ID 65534.");
}

void tst_HostileSaves::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // The other user must reach the folders below.
    QCOMPARE(::chmod(native(m_root->path()).constData(), 0755), 0);
    QVERIFY(testFiles::put(path(u"victim.txt"_s), victimText));
    // The other user's home, where the note's folder is.
    QCOMPARE(::mkdir(native(path(u"home"_s)).constData(), 0755), 0);
    QCOMPARE(::chown(native(path(u"home"_s)).constData(), otherUser, otherUser), 0);
    QCOMPARE(::chmod(native(path(u"victim.txt"_s)).constData(), 0600), 0);
    QCOMPARE(::mkdir(native(path(u"victim-folder"_s)).constData(), 0700), 0);
    QVERIFY(testFiles::put(path(u"victim-folder/note.txt"_s), victimText));
    QVERIFY(plantLink(path(u"victim.txt"_s), path(u"victim-link"_s)));
    QVERIFY(testFiles::put(path(u"shared.txt"_s), sharedText));
    QCOMPARE(::chmod(native(path(u"shared.txt"_s)).constData(), 0666), 0);
}

// What no attack may change: the user's private files, their link and the file they share.
void tst_HostileSaves::verifyUntouched(const QString &written)
{
    if (written != u"victim.txt"_s)
        QCOMPARE(testFiles::contents(path(u"victim.txt"_s)), victimText);
    QCOMPARE(testFiles::contents(path(u"victim-folder/note.txt"_s)), victimText);
    QCOMPARE(testFiles::contents(path(u"shared.txt"_s)), sharedText);
    QVERIFY(S_ISLNK(testFiles::linkStatus(path(u"victim-link"_s))->st_mode));
    if (testFiles::status(path(u"home/theirs.txt"_s)))
        QCOMPARE(testFiles::contents(path(u"home/theirs.txt"_s)), plantedText);
}

// "folder" is where the note is saved: /tmp-like, /tmp-like but the other user's own, a plain
// folder of the other user's, or one that the other user may list but not enter.
bool tst_HostileSaves::makeFolder(Folder folder)
{
    const QByteArray name = native(path(u"home/folder"_s));
    const mode_t mode = folder == Folder::OfOther ? 0755 : folder == Folder::Closed ? 0744 : 01777;
    if (::mkdir(name.constData(), 0700) != 0 || ::chmod(name.constData(), mode) != 0)
        return false;
    const bool others = folder == Folder::SharedOfOther || folder == Folder::OfOther;
    return !others || ::chown(name.constData(), otherUser, otherUser) == 0;
}

bool tst_HostileSaves::plant(Plant plant)
{
    const QString note = path(u"home/folder/note.txt"_s);
    const QString backup = path(u"home/folder/note.txt.tavlo-backup"_s);
    switch (plant) {
    case Plant::Nothing:
    case Plant::FolderSwap:
        return true;
    case Plant::Link:
        return asOtherUser([&] { return plantLink(path(u"victim.txt"_s), note); });
    case Plant::FolderLink:
        return asOtherUser(
            [&] { return plantLink(path(u"victim-folder"_s), path(u"home/folder/sub"_s)); });
    case Plant::File:
        return asOtherUser([&] { return plantFile(note); });
    case Plant::BackupLink:
        return asOtherUser([&] { return plantLink(path(u"victim.txt"_s), backup); });
    case Plant::BackupFile:
        return asOtherUser([&] { return plantFile(backup); });
    case Plant::HardLinkToShared:
        return plantHardLink(path(u"shared.txt"_s), note);
    case Plant::HardLinkToOwnLink:
        return plantHardLink(path(u"victim-link"_s), note);
    case Plant::HardLinkToOthers:
        return asOtherUser([&] {
            return plantFile(path(u"home/theirs.txt"_s)) &&
                   plantHardLink(path(u"home/theirs.txt"_s), note);
        });
    case Plant::Removal:
        return ::unlink(native(note).constData()) == 0;
    case Plant::SwapForLink:
        return asOtherUser([&] { return plantFile(note); });
    }
    return false;
}

// The other user puts a link to a folder only the user may enter where the note's folder was,
// just before the save creates its first file.
bool tst_HostileSaves::armFolderSwap(const QString &rootOnly)
{
    if (::mkdir(native(rootOnly).constData(), 0700) != 0 ||
        !testFiles::put(rootOnly + u"/note.txt"_s, victimText)) {
        return false;
    }
    killPoints::before(1, [this, rootOnly] {
        QVERIFY(asOtherUser([&] {
            return ::rename(native(path(u"home/folder"_s)).constData(),
                            native(path(u"home/folder-before"_s)).constData()) == 0 &&
                   plantLink(rootOnly, path(u"home/folder"_s));
        }));
    });
    return true;
}

void tst_HostileSaves::othersCannotTurnTheSave_data()
{
    QTest::addColumn<Folder>("folder");
    // The user's own file under the note's name before the save, with a second name when it
    // is to be rewritten in place; none when the note is new.
    QTest::addColumn<int>("ownNames");
    QTest::addColumn<Plant>("plant");
    // Whether the user agreed to replace what is there; otherwise the name is to be free.
    QTest::addColumn<bool>("replaceAny");
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<Ending>("ending");
    // Where the new text lands when saved; for the others, what must be said.
    QTest::addColumn<QString>("result");

    const bool asked = false, agreed = true;
    const QString note = u"home/folder/note.txt"_s;
    QTest::newRow("link planted at a new name")
        << Folder::Shared << 0 << Plant::Link << asked << QByteArray() << Ending::ChangedOnDisk
        << QString();
    QTest::newRow("link planted, overwrite agreed")
        << Folder::Shared << 0 << Plant::Link << agreed << QByteArray() << Ending::Refused
        << u"is a symbolic link that belongs to"_s;
    QTest::newRow("link planted on the way to the name")
        << Folder::Shared << 0 << Plant::FolderLink << agreed << QByteArray() << Ending::Refused
        << u"is a symbolic link that belongs to"_s;
    QTest::newRow("file planted at a new name")
        << Folder::Shared << 0 << Plant::File << asked << QByteArray() << Ending::ChangedOnDisk
        << QString();
    QTest::newRow("file planted, overwrite agreed")
        << Folder::Shared << 0 << Plant::File << agreed << QByteArray() << Ending::Refused
        << u"so Tavlo does not write into it"_s;
    // Saved by the other user, who cannot look into the folder: that proves no file is gone.
    QTest::newRow("file that cannot be looked at")
        << Folder::Closed << 1 << Plant::Nothing << asked << QByteArray() << Ending::ChangedOnDisk
        << QString();
    // Agreed to replace what has the name, not to write through it.
    QTest::newRow("link of the folder's owner") << Folder::SharedOfOther << 0 << Plant::Link
                                                << agreed << QByteArray() << Ending::Saved << note;
    QTest::newRow("hard link to a shared file, overwrite agreed")
        << Folder::Shared << 0 << Plant::HardLinkToShared << agreed << QByteArray() << Ending::Saved
        << note;
    QTest::newRow("hard link to a file of the folder's owner, overwrite agreed")
        << Folder::SharedOfOther << 0 << Plant::HardLinkToOthers << agreed << QByteArray()
        << Ending::Saved << note;
    QTest::newRow("hard link to the user's own link, overwrite agreed")
        << Folder::Shared << 0 << Plant::HardLinkToOwnLink << agreed << QByteArray()
        << Ending::Saved << note;
    // Made again no more open than the private file it was.
    QTest::newRow("own file gone since it was read")
        << Folder::Shared << 1 << Plant::Removal << asked << QByteArray() << Ending::Saved << note;
    QTest::newRow("file of the folder's owner") << Folder::SharedOfOther << 0 << Plant::File
                                                << agreed << QByteArray() << Ending::Saved << note;
    QTest::newRow("folder swapped at the first write")
        << Folder::OfOther << 1 << Plant::FolderSwap << agreed << QByteArray() << Ending::Saved
        << u"home/folder-before/note.txt"_s;
    // The note's own hard-linked file, rewritten in place beside a backup.
    QTest::newRow("backup name taken by a link") << Folder::Shared << 2 << Plant::BackupLink
                                                 << asked << QByteArray() << Ending::Saved << note;
    QTest::newRow("backup name taken by another's file")
        << Folder::Shared << 2 << Plant::BackupFile << asked << QByteArray() << Ending::Saved
        << note;
    QTest::newRow("backup that cannot be removed")
        << Folder::Shared << 2 << Plant::Nothing << asked << QByteArray("unlinkat") << Ending::Saved
        << note;
    QTest::newRow("backup of its own name that cannot be removed")
        << Folder::Shared << 2 << Plant::BackupLink << asked << QByteArray("unlinkat")
        << Ending::Saved << note;
}

void tst_HostileSaves::othersCannotTurnTheSave()
{
    QFETCH(Folder, folder);
    QFETCH(int, ownNames);
    QFETCH(Plant, plant);
    QFETCH(bool, replaceAny);
    QFETCH(QByteArray, failing);
    QFETCH(Ending, ending);
    QFETCH(QString, result);
    QVERIFY(makeFolder(folder));
    const QString note = path(u"home/folder/note.txt"_s);
    if (ownNames > 0) {
        QVERIFY(testFiles::put(note, oldText));
        QCOMPARE(::chmod(native(note).constData(), 0600), 0);
    }
    if (ownNames > 1)
        QCOMPARE(::link(native(note).constData(), native(path(u"home/folder/second.txt"_s))), 0);
    // The note read its file, if it has one, before anything was planted.
    platform::ExpectedFile expected = expecting(replaceAny);
    if (ownNames > 0 && !replaceAny) {
        expected.stamp = platform::fileStampOf(*testFiles::status(note));
        expected.permissions = expected.stamp->permissions;
    }
    QVERIFY(this->plant(plant));
    const QString backup = path(u"home/folder/note.txt.tavlo-backup"_s);
    const QString plantedBackup = fingerprint(backup);
    const QString before = fingerprint(note);

    const QString rootOnly = path(u"root-only"_s);
    if (plant == Plant::FolderSwap)
        QVERIFY(armFolderSwap(rootOnly));
    killPoints::failEvery(failing, EPERM);
    // A link on the way is planted as the note's folder, "sub".
    const bool onTheWay = plant == Plant::FolderLink;
    const QString savedAt = onTheWay ? path(u"home/folder/sub/note.txt"_s) : note;
    const QString refused = onTheWay ? path(u"home/folder/sub"_s) : note;
    const platform::SaveResult saved = save(folder == Folder::Closed, savedAt, expected);
    killPoints::failEvery({}, 0);
    killPoints::before(0, {});

    verifyUntouched(result);
    if (plant == Plant::FolderSwap)
        QCOMPARE(testFiles::contents(rootOnly + u"/note.txt"_s), victimText);
    switch (ending) {
    case Ending::Saved: {
        QVERIFY2(saved.status == platform::SaveResult::Status::Saved, qPrintable(saved.error));
        QCOMPARE(testFiles::contents(path(result)), newText);
        const std::optional<struct stat> status = testFiles::status(path(result));
        QVERIFY(status && saved.stamp == platform::fileStampOf(*status));
        if (path(result) == note)
            verifyOnlyTheNote(*status, ownNames);
        break;
    }
    case Ending::ChangedOnDisk:
        QVERIFY(saved.status == platform::SaveResult::Status::ChangedOnDisk);
        QCOMPARE(fingerprint(note), before);
        break;
    case Ending::Refused:
        QVERIFY(saved.status == platform::SaveResult::Status::Failed);
        QVERIFY2(saved.error.contains(result), qPrintable(saved.error));
        QVERIFY2(saved.error.contains(u'"' + refused + u'"'), qPrintable(saved.error));
        QVERIFY2(saved.error.contains(ownerName(otherUser)), qPrintable(saved.error));
        QCOMPARE(fingerprint(note), before);
        break;
    }
    const bool backupPlanted = plant == Plant::BackupLink || plant == Plant::BackupFile;
    if (backupPlanted)
        QCOMPARE(fingerprint(backup), plantedBackup);
    verifyCopies(backupPlanted, !failing.isEmpty(), saved);
}

void tst_HostileSaves::othersCannotTurnTheOpen_data()
{
    QTest::addColumn<Folder>("folder");
    QTest::addColumn<Plant>("plant");
    // What the note gets; nothing when the Open is refused.
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("link of another user") << Folder::Shared << Plant::Link << QByteArray();
    QTest::newRow("another's file swapped for a link as it opens")
        << Folder::Shared << Plant::SwapForLink << QByteArray();
    QTest::newRow("link planted on the way to the name")
        << Folder::Shared << Plant::FolderLink << QByteArray();
    QTest::newRow("another's file") << Folder::Shared << Plant::File << plantedText;
    QTest::newRow("link of the folder's owner")
        << Folder::SharedOfOther << Plant::Link << victimText;
}

void tst_HostileSaves::othersCannotTurnTheOpen()
{
    QFETCH(Folder, folder);
    QFETCH(Plant, plant);
    QFETCH(QByteArray, text);
    QVERIFY(makeFolder(folder));
    QVERIFY(this->plant(plant));
    const QString note = path(u"home/folder/note.txt"_s);
    if (plant == Plant::SwapForLink) {
        killPoints::beforeOpeningAFile([&] {
            QVERIFY(asOtherUser([&] {
                return ::unlink(native(note).constData()) == 0 &&
                       plantLink(path(u"victim-folder/note.txt"_s), note);
            }));
        });
    }
    const bool onTheWay = plant == Plant::FolderLink;
    const QString opened = onTheWay ? path(u"home/folder/sub/note.txt"_s) : note;
    const platform::FileContents contents = platform::readRegularFile(opened, 1024);
    killPoints::beforeOpeningAFile({});

    QCOMPARE(contents.bytes, text);
    if (text.isEmpty()) {
        const QString refused = onTheWay ? path(u"home/folder/sub"_s) : note;
        QVERIFY2(contents.error.contains(u"is a symbolic link that belongs to"_s),
                 qPrintable(contents.error));
        QVERIFY2(contents.error.contains(u'"' + refused + u'"'), qPrintable(contents.error));
        QVERIFY2(contents.error.contains(ownerName(otherUser)), qPrintable(contents.error));
    } else {
        QCOMPARE(contents.error, QString());
    }
    verifyUntouched({});
}

// The note's file holds the note alone: a file of its own unless it is the note's hard-linked
// one, no more open than the private file it came from or, for a new note, than the umask lets.
void tst_HostileSaves::verifyOnlyTheNote(const struct stat &status, int ownNames)
{
    const mode_t umask = ::umask(0);
    ::umask(umask);
    const mode_t allowed = ownNames > 0 ? 0600 : 0666 & ~umask;
    QCOMPARE(status.st_mode & 0777 & ~allowed, mode_t(0));
    QCOMPARE(status.st_nlink, nlink_t(ownNames > 1 ? 2 : 1));
}

// A backup name held by what is not Tavlo's is left as it was. Without faults no copy is left;
// a copy that could not be removed holds the old text and is named, under its own name when
// the usual one was held.
void tst_HostileSaves::verifyCopies(bool backupPlanted, bool copyLeft,
                                    const platform::SaveResult &saved)
{
    const QString folder = path(u"home/folder/"_s);
    if (!copyLeft) {
        QCOMPARE(saved.notice, QString());
        const QStringList left =
            backupPlanted ? QStringList{u"note.txt.tavlo-backup"_s} : QStringList();
        QCOMPARE(testFiles::leftovers(folder), left);
        return;
    }
    const QString copy =
        backupPlanted ? u"\"note.txt.tavlo-backup-"_s : u"\"note.txt.tavlo-backup\""_s;
    QVERIFY2(saved.notice.contains(copy), qPrintable(saved.notice));
    QVERIFY2(saved.notice.contains(u"can be deleted"_s), qPrintable(saved.notice));
    QCOMPARE(testFiles::contents(folder + saved.notice.section(u'"', 1, 1)), oldText);
}

QTEST_GUILESS_MAIN(tst_HostileSaves)
#include "tst_HostileSaves.moc"
