// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "FakePlatform.h"
#include "KillPoints.h"
#include "StorageTestFiles.h"
#include "storage/Document.h"
#include "storage/TextFormat.h"
#include "textbox/TextBox.h"

#include <deque>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using testFiles::contents;
using testFiles::put;

Q_DECLARE_METATYPE(TextFormat)

namespace {

// A document on a bare text box, with scripted answers to the message boxes and to the question
// for another name to save under.
struct Doc {
    FakeMessageBoxes messageBoxes;
    std::deque<std::optional<QString>> saveNames;
    int saveNameRequests = 0;
    TextBox editor;
    Document document{editor, editor, messageBoxes, [this] {
                          return askSaveName();
                      }};

    QString path() const { return document.path(); }
    QString text() const { return editor.toPlainText(); }
    QStringList &warnings() { return messageBoxes.warnings; }

    std::optional<QString> askSaveName()
    {
        ++saveNameRequests;
        if (saveNames.empty())
            return std::nullopt;
        const std::optional<QString> name = saveNames.front();
        saveNames.pop_front();
        return name;
    }
    bool settled()
    {
        return QTest::qWaitFor([this] { return !document.isBusy(); }, 5000);
    }
    bool open(const std::optional<QString> &path)
    {
        if (path)
            document.open(*path);
        return settled();
    }
    bool clear()
    {
        document.clear();
        return settled();
    }
    // As the window does it: the document's own file, or a name asked for.
    bool save()
    {
        QString target = document.path();
        if (target.isEmpty()) {
            const std::optional<QString> name = askSaveName();
            if (!name)
                return settled();
            target = *name;
        }
        document.save(target);
        return settled();
    }
    bool saveAs(const std::optional<QString> &answer)
    {
        saveNames.push_back(answer);
        return save();
    }
};

TextFormat format(TextEncoding encoding, LineEnd lineEnd, bool appendFinalLineEnd)
{
    TextFormat result;
    result.encoding = encoding;
    result.lineEnd = lineEnd;
    result.appendFinalLineEnd = appendFinalLineEnd;
    return result;
}

// What lies at path, without following a link: enough to see whether anything touched it.
QString fingerprint(const QString &path)
{
    const std::optional<struct stat> status = testFiles::linkStatus(path);
    if (!status)
        return u"none"_s;
    if (S_ISDIR(status->st_mode))
        return u"folder"_s;
    if (S_ISFIFO(status->st_mode))
        return u"fifo"_s;
    QFile file(path);
    const QByteArray start = file.open(QIODevice::ReadOnly) ? file.read(64) : QByteArray();
    return u"file %1 %2"_s.arg(status->st_size).arg(QString::fromLatin1(start));
}

} // namespace

class tst_Document : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithoutPath();
    void clearStartsNewDocument();
    void openShowsFile_data();
    void openShowsFile();
    void openMissingNameCreatesFileOnSave();
    void openCancelledChangesNothing();
    void openFailureKeepsDocument_data();
    void openFailureKeepsDocument();
    void saveAsksForNameOnce_data();
    void saveAsksForNameOnce();
    void saveCancelledWritesNothing();
    void saveOverwritesWithoutDialog();
    void typingGoesOnWhileSaving();
    void halfCharacterAtEndAsksFirst_data();
    void halfCharacterAtEndAsksFirst();
    void changeOnDiskAsksBeforeOverwrite_data();
    void changeOnDiskAsksBeforeOverwrite();
    void takenNewNameAsksBeforeOverwrite_data();
    void takenNewNameAsksBeforeOverwrite();
    void unrepresentableCharacterAsks_data();
    void unrepresentableCharacterAsks();
    void loneSurrogateOffersUtf16_data();
    void loneSurrogateOffersUtf16();
    void failedSaveOffersAnotherName_data();
    void failedSaveOffersAnotherName();
    void saveThroughSymbolicLink();
    void saveWithLeftoverCopyCountsAsSaved();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList entries() const { return testFiles::entries(m_dir->path()); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Document::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_Document::cleanup()
{
    m_dir.reset();
}

void tst_Document::startsWithoutPath()
{
    Doc w;
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.text(), QString());
    QVERIFY(w.document.format() == TextFormat());
    QCOMPARE(w.editor.lineEnd(), u"\r\n"_s);
}

void tst_Document::clearStartsNewDocument()
{
    Doc w;
    const QString file = path(u"lf.txt"_s), fresh = path(u"fresh.txt"_s);
    QVERIFY(put(file, "one\ntwo"));
    QVERIFY(w.open(file));
    QVERIFY(w.document.format() != TextFormat());

    QCOMPARE(w.editor.lineEnd(), u"\n"_s);

    QVERIFY(w.clear());
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.text(), QString());
    QVERIFY(w.document.format() == TextFormat());
    QCOMPARE(w.editor.lineEnd(), u"\r\n"_s);

    QVERIFY(w.saveAs(fresh));
    QCOMPARE(contents(fresh), "\r\n"_ba);
    QCOMPARE(contents(file), "one\ntwo"_ba);
}

void tst_Document::openShowsFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextFormat>("expected");

    QTest::newRow("utf-16 le, lf")
        << "\xFF\xFEh\0i\0\n\0"_ba << u"hi\n"_s << format(TextEncoding::Utf16LE, LineEnd::Lf, true);
    QTest::newRow("windows-1252, cr, no final")
        << "caf\xE9\rx"_ba << u"caf\u00E9\rx"_s
        << format(TextEncoding::Windows1252, LineEnd::Cr, false);
    QTest::newRow("utf-8, crlf") << "a\r\n\r\nb\r\n"_ba << u"a\r\n\r\nb\r\n"_s
                                 << format(TextEncoding::Utf8, LineEnd::CrLf, true);
}

void tst_Document::openShowsFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextFormat, expected);
    Doc w;
    w.editor.setPlainText(u"typed before\n"_s);
    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, bytes));

    QVERIFY(w.open(file));
    QCOMPARE(w.text(), text);
    QCOMPARE(w.path(), file);
    QVERIFY(w.document.format() == expected);
    QCOMPARE(w.editor.lineEnd(), lineEndCharacters(expected.lineEnd));
    QCOMPARE(w.warnings(), QStringList());
    QVERIFY(!w.editor.isReadOnly());
}

void tst_Document::openMissingNameCreatesFileOnSave()
{
    Doc w;
    const QString lf = path(u"lf.txt"_s), missing = path(u"new.txt"_s);
    QVERIFY(put(lf, "x\ny"));
    QVERIFY(w.open(lf));

    QVERIFY(w.open(missing));
    QCOMPARE(w.path(), missing);
    QCOMPARE(w.text(), u"x\ny"_s);
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(w.warnings(), QStringList());

    // A new file gets a new document's format, not that of the file shown before.
    QCOMPARE(w.editor.lineEnd(), u"\r\n"_s);
    QVERIFY(w.save());
    QCOMPARE(w.saveNameRequests, 0);
    QCOMPARE(contents(missing), "x\ny\r\n"_ba);
    QCOMPARE(contents(lf), "x\ny"_ba);
}

void tst_Document::openCancelledChangesNothing()
{
    Doc w;
    w.editor.setPlainText(u"draft\n"_s);
    QVERIFY(w.open(std::nullopt));
    QCOMPARE(w.text(), u"draft\n"_s);
    QCOMPARE(w.path(), QString());

    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, "first\n"));
    QVERIFY(w.open(file));
    const TextFormat shown = w.document.format();
    QVERIFY(put(file, "changed on disk\r\n"));

    QVERIFY(w.open(std::nullopt));
    QCOMPARE(w.text(), u"first\n"_s);
    QCOMPARE(w.path(), file);
    QVERIFY(w.document.format() == shown);
    QCOMPARE(w.warnings(), QStringList());
}

void tst_Document::openFailureKeepsDocument_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("hadPath");
    QTest::addColumn<QString>("reason");

    const QList<std::pair<const char *, QString>> kinds = {
        {"folder", u"folder"_s},
        {"fifo", u"not a regular file"_s},
        {"through a file", u"not a folder"_s},
        {"no read permission", u"Permission denied"_s},
        {"too large", u"limit"_s},
    };
    for (const auto &[kind, reason] : kinds) {
        QTest::addRow("%s, no path", kind) << QString::fromLatin1(kind) << false << reason;
        QTest::addRow("%s, old path", kind) << QString::fromLatin1(kind) << true << reason;
    }
}

void tst_Document::openFailureKeepsDocument()
{
    QFETCH(QString, kind);
    QFETCH(bool, hadPath);
    QFETCH(QString, reason);

    QString target;
    if (kind == u"folder") {
        target = path(u"folder"_s);
        QVERIFY(QDir().mkdir(target));
    } else if (kind == u"fifo") {
        target = path(u"fifo"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0644), 0);
    } else if (kind == u"through a file") {
        QVERIFY(put(path(u"file.txt"_s), "plain\n"));
        target = path(u"file.txt/x"_s);
    } else if (kind == u"no read permission") {
        if (::geteuid() == 0)
            QSKIP("Permission bits do not stop root from reading.");
        target = path(u"secret.txt"_s);
        QVERIFY(put(target, "secret\n"));
        QVERIFY(QFile::setPermissions(target, {}));
    } else {
        target = path(u"large.txt"_s);
        QFile large(target);
        QVERIFY(large.open(QIODevice::WriteOnly));
        QVERIFY(large.resize(qint64(257) * 1024 * 1024));
    }
    const QString targetBefore = fingerprint(target);
    const QString fileBefore = fingerprint(path(u"file.txt"_s));

    Doc w;
    const QString old = path(u"old.txt"_s);
    if (hadPath) {
        QVERIFY(put(old, "old\n"));
        QVERIFY(w.open(old));
    }
    w.editor.setPlainText(u"typed\n"_s);

    QVERIFY(w.open(target));
    QCOMPARE(w.warnings().size(), 1);
    QVERIFY2(w.warnings()[0].contains(QDir::toNativeSeparators(target)),
             qPrintable(w.warnings()[0]));
    QVERIFY2(w.warnings()[0].contains(reason), qPrintable(w.warnings()[0]));
    QCOMPARE(w.text(), u"typed\n"_s);
    QCOMPARE(w.path(), hadPath ? old : QString());
    QVERIFY(!w.editor.isReadOnly());

    if (hadPath) {
        QVERIFY(w.save());
        QCOMPARE(w.saveNameRequests, 0);
        QCOMPARE(contents(old), "typed\n"_ba);
    } else {
        QVERIFY(w.saveAs(std::nullopt));
        QCOMPARE(w.saveNameRequests, 1);
    }
    QCOMPARE(w.warnings().size(), 1);
    QCOMPARE(fingerprint(target), targetBefore);
    QCOMPARE(fingerprint(path(u"file.txt"_s)), fileBefore);
}

void tst_Document::saveAsksForNameOnce_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("one line") << u"abc"_s << u"a.txt"_s << "abc\r\n"_ba;
    QTest::newRow("empty") << QString() << u"e.txt"_s << "\r\n"_ba;
    QTest::newRow("lines") << u"a\r\n\nb"_s << u"b.txt"_s << "a\r\n\nb\r\n"_ba;
    QTest::newRow("no extension") << u"abc"_s << u"notes"_s << "abc\r\n"_ba;
}

void tst_Document::saveAsksForNameOnce()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    Doc w;
    w.editor.setPlainText(text);
    const QString file = path(name);

    QVERIFY(w.saveAs(file));
    QCOMPARE(w.saveNameRequests, 1);
    QCOMPARE(contents(file), bytes);
    QCOMPARE(entries(), QStringList{name});
    QCOMPARE(w.path(), file);
    QCOMPARE(w.warnings(), QStringList());

    w.editor.setPlainText(u"second"_s);
    QVERIFY(w.save());
    QCOMPARE(w.saveNameRequests, 1);
    QCOMPARE(contents(file), "second\r\n"_ba);
    QCOMPARE(entries(), QStringList{name});
}

void tst_Document::saveCancelledWritesNothing()
{
    Doc w;
    w.editor.setPlainText(u"abc"_s);
    QVERIFY(w.saveAs(std::nullopt));
    QCOMPARE(w.saveNameRequests, 1);
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.text(), u"abc"_s);
    QCOMPARE(entries(), QStringList());
    QCOMPARE(w.warnings(), QStringList());
}

void tst_Document::saveOverwritesWithoutDialog()
{
    Doc w;
    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, "old\r\nlonger text\r\n"));
    QVERIFY(w.open(file));
    w.editor.setPlainText(u"new"_s);

    QVERIFY(w.save());
    QCOMPARE(w.saveNameRequests, 0);
    QCOMPARE(contents(file), "new\r\n"_ba);
    QCOMPARE(w.path(), file);
    QCOMPARE(entries(), QStringList{u"doc.txt"_s});
}

// The save encodes a snapshot of the text taken when it starts.
void tst_Document::typingGoesOnWhileSaving()
{
    Doc w;
    const QString file = path(u"doc.txt"_s);
    w.editor.setPlainText(u"saved\r\n"_s);
    w.document.save(file);
    QVERIFY(w.document.isBusy());
    QVERIFY(!w.editor.isReadOnly());
    w.editor.insertText(u"typed "_s);

    QVERIFY(w.settled());
    QCOMPARE(contents(file), "saved\r\n"_ba);
    QCOMPARE(w.text(), u"typed saved\r\n"_s);
}

void tst_Document::halfCharacterAtEndAsksFirst_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("declined") << false;
    QTest::newRow("accepted") << true;
}

// A UTF-16 file of an odd length is the one file that cannot come back as it was: the user is
// told at Open and asked before the save that would drop its last byte.
void tst_Document::halfCharacterAtEndAsksFirst()
{
    QFETCH(bool, accept);
    Doc w;
    const QString file = path(u"odd.txt"_s);
    const QByteArray bytes = "\xFF\xFE"
                             "a\0\n\0b"_ba;
    QVERIFY(put(file, bytes));

    QVERIFY(w.open(file));
    QCOMPARE(w.warnings().size(), 1);
    QVERIFY2(w.warnings()[0].contains(u"half a character"_s), qPrintable(w.warnings()[0]));
    QVERIFY(w.warnings()[0].contains(QDir::toNativeSeparators(file)));

    w.messageBoxes.answers.push_back(accept);
    QVERIFY(w.save());
    QCOMPARE(w.messageBoxes.questions.size(), 1);
    QVERIFY(w.messageBoxes.questions[0].contains(QDir::toNativeSeparators(file)));
    QCOMPARE(contents(file), accept ? bytes.chopped(1) : bytes);
    QCOMPARE(w.path(), file);

    // Once saved, the file holds what the box holds: no more questions.
    QVERIFY(w.save());
    QCOMPARE(w.messageBoxes.questions.size(), accept ? 1 : 2);
}

void tst_Document::changeOnDiskAsksBeforeOverwrite_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("overwrite") << true;
    QTest::newRow("keep theirs") << false;
}

void tst_Document::changeOnDiskAsksBeforeOverwrite()
{
    QFETCH(bool, accept);
    Doc w;
    const QString file = path(u"shared.txt"_s);
    QVERIFY(put(file, "mine\n"));
    QVERIFY(w.open(file));
    w.editor.setPlainText(u"edited\n"_s);
    QFile other(file);
    QVERIFY(other.open(QIODevice::Append));
    QCOMPARE(other.write("theirs\n"), 7);
    other.close();

    w.messageBoxes.answers.push_back(accept);
    QVERIFY(w.save());
    QCOMPARE(w.messageBoxes.questions.size(), 1);
    QVERIFY(w.messageBoxes.questions[0].contains(QDir::toNativeSeparators(file)));
    // Declined, the text may go elsewhere: the name dialog is offered, here cancelled.
    QCOMPARE(w.saveNameRequests, accept ? 0 : 1);
    QCOMPARE(contents(file), accept ? "edited\n"_ba : "mine\ntheirs\n"_ba);

    // Tavlo's own save is no change by another program.
    if (accept) {
        QVERIFY(w.save());
        QCOMPARE(w.messageBoxes.questions.size(), 1);
    }
}

void tst_Document::takenNewNameAsksBeforeOverwrite_data()
{
    changeOnDiskAsksBeforeOverwrite_data();
}

// A name that had no file at Open is not simply written over when a file turned up there.
void tst_Document::takenNewNameAsksBeforeOverwrite()
{
    QFETCH(bool, accept);
    Doc w;
    const QString file = path(u"new.txt"_s);
    QVERIFY(w.open(file));
    w.editor.setPlainText(u"mine"_s);
    QVERIFY(put(file, "theirs\n"));

    w.messageBoxes.answers.push_back(accept);
    QVERIFY(w.save());
    QCOMPARE(w.messageBoxes.questions.size(), 1);
    QVERIFY(w.messageBoxes.questions[0].contains(QDir::toNativeSeparators(file)));
    QVERIFY(w.messageBoxes.questions[0].contains(u"There was no file"_s));
    QCOMPARE(w.saveNameRequests, accept ? 0 : 1);
    QCOMPARE(contents(file), accept ? "mine\r\n"_ba : "theirs\n"_ba);
    QCOMPARE(w.warnings(), QStringList());
}

void tst_Document::unrepresentableCharacterAsks_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<bool>("accept");

    QTest::newRow("a ogonek, declined") << u"\u0105"_s << u"U+0105"_s << "\xC4\x85"_ba << false;
    QTest::newRow("a ogonek, accepted") << u"\u0105"_s << u"U+0105"_s << "\xC4\x85"_ba << true;
    QTest::newRow("emoji, declined")
        << u"\U0001F600"_s << u"U+1F600"_s << "\xF0\x9F\x98\x80"_ba << false;
    QTest::newRow("emoji, accepted")
        << u"\U0001F600"_s << u"U+1F600"_s << "\xF0\x9F\x98\x80"_ba << true;
}

void tst_Document::unrepresentableCharacterAsks()
{
    QFETCH(QString, character);
    QFETCH(QString, code);
    QFETCH(QByteArray, utf8);
    QFETCH(bool, accept);
    Doc w;
    const QString file = path(u"cp.txt"_s);
    const QByteArray original = "caf\xE9\r\n"_ba;
    QVERIFY(put(file, original));
    QVERIFY(w.open(file));
    QCOMPARE(w.document.format().encoding, TextEncoding::Windows1252);
    w.editor.setPlainText(u"caf\u00E9 "_s + character);

    w.messageBoxes.answers.push_back(accept);
    QVERIFY(w.save());
    const QStringList &questions = w.messageBoxes.questions;
    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions[0].contains(code), qPrintable(questions[0]));
    QVERIFY(questions[0].contains(encodingName(TextEncoding::Windows1252)));
    QCOMPARE(w.warnings(), QStringList());
    QCOMPARE(w.saveNameRequests, 0);
    QCOMPARE(w.path(), file);

    if (accept) {
        const QByteArray expected = "caf\xC3\xA9 "_ba + utf8 + "\r\n"_ba;
        QCOMPARE(contents(file), expected);
        QVERIFY(w.document.format() == format(TextEncoding::Utf8, LineEnd::CrLf, true));
        QVERIFY(w.save());
        QCOMPARE(questions.size(), 1);
        QCOMPARE(contents(file), expected);
    } else {
        QCOMPARE(contents(file), original);
        QCOMPARE(w.document.format().encoding, TextEncoding::Windows1252);
        // Declining once does not switch the encoding behind the user's back.
        QVERIFY(w.save());
        QCOMPARE(questions.size(), 2);
        QCOMPARE(contents(file), original);
    }
    QCOMPARE(entries(), QStringList{u"cp.txt"_s});
}

void tst_Document::loneSurrogateOffersUtf16_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("declined") << false;
    QTest::newRow("accepted") << true;
}

// Half a surrogate pair (pasted, or from a UTF-16 file) has no UTF-8 form: offering UTF-8 again
// would ask forever. UTF-16 writes it as the unit it is, and opens it again as it was.
void tst_Document::loneSurrogateOffersUtf16()
{
    QFETCH(bool, accept);
    Doc w;
    const QString file = path(u"note.txt"_s);
    const QByteArray original = "x\n"_ba;
    QVERIFY(put(file, original));
    QVERIFY(w.open(file));
    const QString text = u"first\n\u00E9b"_s + QChar(0xD83D) + u"c"_s;
    w.editor.setPlainText(text);

    w.messageBoxes.answers.push_back(accept);
    QVERIFY(w.save());
    const QStringList &questions = w.messageBoxes.questions;
    QCOMPARE(questions.size(), 1);
    for (const QString &told : {u"U+D83D"_s, u"line 2, column 3"_s, u"UTF-16"_s})
        QVERIFY2(questions[0].contains(told), qPrintable(questions[0]));
    QCOMPARE(w.warnings(), QStringList());
    QCOMPARE(w.path(), file);
    if (!accept) {
        QCOMPARE(contents(file), original);
        QCOMPARE(w.document.format().encoding, TextEncoding::Utf8);
        return;
    }
    const QString written = text + u"\n"_s;
    QByteArray expected = "\xFF\xFE"_ba;
    expected.append(reinterpret_cast<const char *>(written.utf16()), written.size() * 2);
    QCOMPARE(contents(file), expected);
    QCOMPARE(w.document.format().encoding, TextEncoding::Utf16LE);
    QVERIFY(w.save());
    QCOMPARE(questions.size(), 1);
    QVERIFY(w.open(file));
    QCOMPARE(w.text(), written);
    QCOMPARE(w.warnings(), QStringList());
}

void tst_Document::failedSaveOffersAnotherName_data()
{
    QTest::addColumn<bool>("removedFolder");
    QTest::addColumn<bool>("confirm");

    QTest::newRow("removed folder, cancelled") << true << false;
    QTest::newRow("removed folder, other name") << true << true;
    QTest::newRow("through a file, cancelled") << false << false;
    QTest::newRow("through a file, other name") << false << true;
}

void tst_Document::failedSaveOffersAnotherName()
{
    QFETCH(bool, removedFolder);
    QFETCH(bool, confirm);
    Doc w;
    const QString other = path(u"other.txt"_s);
    QString failing, oldPath, reason;
    if (removedFolder) {
        QVERIFY(QDir().mkdir(path(u"sub"_s)));
        failing = oldPath = path(u"sub/doc.txt"_s);
        QVERIFY(put(failing, "old\n"));
        QVERIFY(w.open(failing));
        QVERIFY(QDir(path(u"sub"_s)).removeRecursively());
        reason = u"No such file"_s;
    } else {
        QVERIFY(put(path(u"file.txt"_s), "plain\n"));
        failing = path(u"file.txt/x"_s);
        w.saveNames.push_back(failing);
        reason = u"not a folder"_s;
    }
    w.editor.setPlainText(u"new"_s);
    const qsizetype dialogsBefore = removedFolder ? 0 : 1;

    QVERIFY(w.saveAs(confirm ? std::optional<QString>(other) : std::nullopt));
    QCOMPARE(w.warnings().size(), 1);
    QVERIFY2(w.warnings()[0].contains(QDir::toNativeSeparators(failing)),
             qPrintable(w.warnings()[0]));
    QVERIFY2(w.warnings()[0].contains(reason), qPrintable(w.warnings()[0]));
    QCOMPARE(w.saveNameRequests, dialogsBefore + 1);

    QCOMPARE(w.text(), u"new"_s);
    QVERIFY(!QFileInfo::exists(failing));
    if (confirm) {
        QCOMPARE(w.path(), other);
        // The retry keeps the format of the file the text came from.
        QCOMPARE(contents(other), removedFolder ? "new\n"_ba : "new\r\n"_ba);
    } else {
        QCOMPARE(w.path(), oldPath);
        QVERIFY(!QFileInfo::exists(other));
    }
    if (!removedFolder)
        QCOMPARE(contents(path(u"file.txt"_s)), "plain\n"_ba);
}

void tst_Document::saveThroughSymbolicLink()
{
    Doc w;
    const QString target = path(u"target.txt"_s), link = path(u"link.txt"_s);
    QVERIFY(put(target, "old\r\n"));
    QVERIFY(QFile::link(target, link));

    QVERIFY(w.open(link));
    QCOMPARE(w.path(), link);
    w.editor.setPlainText(u"new"_s);
    QVERIFY(w.save());

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(contents(target), "new\r\n"_ba);
    QCOMPARE(w.path(), link);
}

// A save that went through is a success even when the copy of the old text that it made could
// not be removed: the message says so and names the copy, and no other name is asked for.
void tst_Document::saveWithLeftoverCopyCountsAsSaved()
{
    Doc w;
    const QString file = path(u"linked.txt"_s);
    QVERIFY(put(file, "old\n"));
    QCOMPARE(::link(QFile::encodeName(file).constData(),
                    QFile::encodeName(path(u"second.txt"_s)).constData()),
             0);
    QVERIFY(w.open(file));
    w.editor.setPlainText(u"new"_s);
    killPoints::failEvery("unlinkat", EPERM);
    const bool settled = w.save();
    killPoints::failEvery({}, 0);
    QVERIFY(settled);

    QCOMPARE(contents(file), "new\n"_ba);
    QCOMPARE(contents(path(u"second.txt"_s)), "new\n"_ba);
    QCOMPARE(w.saveNameRequests, 0);
    QCOMPARE(w.path(), file);
    QCOMPARE(w.warnings().size(), 1);
    const QString &message = w.warnings()[0];
    QVERIFY2(message.startsWith(u"The text was saved in \""_s + QDir::toNativeSeparators(file)),
             qPrintable(message));
    QVERIFY2(message.contains(u"\"linked.txt.tavlo-backup\""_s), qPrintable(message));
    QVERIFY2(message.contains(u"can be deleted"_s), qPrintable(message));

    // As after any save, the note knows the file as written: the next save asks nothing.
    QVERIFY(QFile::remove(path(u"linked.txt.tavlo-backup"_s)));
    w.editor.setPlainText(u"newer"_s);
    QVERIFY(w.save());
    QCOMPARE(w.messageBoxes.questions, QStringList());
    QCOMPARE(w.warnings().size(), 1);
    QCOMPARE(contents(file), "newer\n"_ba);
}

QTEST_MAIN(tst_Document)
#include "tst_Document.moc"
