#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include "FakePlatform.h"
#include "StorageTestFiles.h"
#include "app/MenuDesign.h"
#include "app/frmMain.h"
#include "storage/EditorText.h"
#include "storage/LongLines.h"
#include "storage/TextFormat.h"

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace MenuDesign;
using namespace Qt::StringLiterals;
using testFiles::contents;
using testFiles::put;

Q_DECLARE_METATYPE(TextFormat)

namespace {

const QString DocumentFilter = u"All Files (*.*)|*.*|Text Files (*.txt)|*.txt"_s;

// A main window with scripted dialogs.
struct Window {
    Window() { form.Form_Load(); }

    FakePlatform platform;
    frmMain form{platform.services()};

    QString path() const { return form.txtFile().text(); }
    QString text() const { return editorText(form.txt()); }
    FakeFileDialogs &dialogs() { return platform.fileDialogs; }
    QStringList &warnings() { return platform.messageBoxes.warnings; }

    // The job's future ends before its result is handed back; the menu comes back only in the
    // callback, so both together mean the command has had its full effect.
    bool settled()
    {
        return QTest::qWaitFor(
            [this] { return !form.isFileBusy() && form.mnuFileItem(FileOpen)->isEnabled(); }, 5000);
    }
    bool command(short index)
    {
        form.mnuFileItem_Click(index);
        return settled();
    }
    bool open(const std::optional<QString> &answer)
    {
        platform.fileDialogs.answers.push_back(answer);
        return command(FileOpen);
    }
    bool save() { return command(FileSave); }
    bool saveAs(const std::optional<QString> &answer)
    {
        platform.fileDialogs.answers.push_back(answer);
        return command(FileSave);
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

// Keeps the only worker thread busy, so that a file job stays queued until release().
class PoolBlocker {
public:
    PoolBlocker()
        : m_oldMax(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(1);
        // Shared with the task: it may still be inside acquire() when a failed test returns.
        QThreadPool::globalInstance()->start([gate = m_gate] {
            gate->started.release();
            gate->open.acquire();
        });
        m_gate->started.acquire();
    }
    ~PoolBlocker()
    {
        release();
        QThreadPool::globalInstance()->setMaxThreadCount(m_oldMax);
    }
    void release()
    {
        if (!m_released)
            m_gate->open.release();
        m_released = true;
    }

private:
    struct Gate {
        QSemaphore started;
        QSemaphore open;
    };
    std::shared_ptr<Gate> m_gate = std::make_shared<Gate>();
    int m_oldMax;
    bool m_released = false;
};

} // namespace

class tst_frmMainDocument : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithoutPath();
    void dialogSettings();
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
    void roundTripKeepsBytes_data();
    void roundTripKeepsBytes();
    void mixedLineEndsWarnAndBecomeUniform();
    void paragraphSeparatorWarns();
    void veryLongLineAsksFirst_data();
    void veryLongLineAsksFirst();
    void unrepresentableCharacterAsks_data();
    void unrepresentableCharacterAsks();
    void failedSaveOffersAnotherName_data();
    void failedSaveOffersAnotherName();
    void saveThroughSymbolicLink();
    void commandsWaitForRunningJob();
    void largeFileGoesInWhileWindowAnswers();
    void exitWhileLargeFileGoesIn();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_frmMainDocument::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_frmMainDocument::cleanup()
{
    m_dir.reset();
}

void tst_frmMainDocument::startsWithoutPath()
{
    Window w;
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.text(), QString());
    QVERIFY(w.form.documentFormat() == TextFormat());
}

void tst_frmMainDocument::dialogSettings()
{
    Window w;
    const QString first = path(u"first.txt"_s), second = path(u"second.txt"_s);
    QVERIFY(put(first, "1\n"));

    QVERIFY(w.open(first));
    QVERIFY(w.open(std::nullopt));
    QVERIFY(w.command(FileClear));
    QVERIFY(w.open(std::nullopt));
    QVERIFY(w.saveAs(second));
    QVERIFY(w.open(std::nullopt));
    QVERIFY(w.command(FileClear));
    QVERIFY(w.saveAs(std::nullopt));

    const QList<FileDialogOptions> &opens = w.dialogs().openRequests;
    const QList<FileDialogOptions> &saves = w.dialogs().saveRequests;
    QCOMPARE(opens.size(), 4);
    QCOMPARE(saves.size(), 2);
    // The Open dialog starts at the last confirmed name, whichever dialog confirmed it.
    const QStringList openNames = {QString(), first, first, second};
    for (qsizetype i = 0; i < opens.size(); ++i) {
        QCOMPARE(opens[i].filter, DocumentFilter);
        QCOMPARE(opens[i].filterIndex, 2);
        QVERIFY(opens[i].createPrompt);
        QVERIFY(!opens[i].overwritePrompt);
        QCOMPARE(opens[i].fileName, openNames[i]);
    }
    for (const FileDialogOptions &options : saves) {
        QCOMPARE(options.filter, DocumentFilter);
        QCOMPARE(options.filterIndex, 2);
        QVERIFY(options.overwritePrompt);
        QCOMPARE(options.fileName, QString());
    }
}

void tst_frmMainDocument::clearStartsNewDocument()
{
    Window w;
    const QString file = path(u"lf.txt"_s), fresh = path(u"fresh.txt"_s);
    QVERIFY(put(file, "one\ntwo"));
    QVERIFY(w.open(file));
    QVERIFY(w.form.documentFormat() != TextFormat());

    QVERIFY(w.command(FileClear));
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.text(), QString());
    QVERIFY(w.form.documentFormat() == TextFormat());
    QCOMPARE(w.form.comDlg().FileName, file);

    QVERIFY(w.saveAs(fresh));
    QCOMPARE(contents(fresh), "\r\n"_ba);
    QCOMPARE(contents(file), "one\ntwo"_ba);
}

void tst_frmMainDocument::openShowsFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextFormat>("expected");

    QTest::newRow("utf-16 le, lf")
        << "\xFF\xFEh\0i\0\n\0"_ba << u"hi\n"_s << format(TextEncoding::Utf16LE, LineEnd::Lf, true);
    QTest::newRow("windows-1252, cr, no final")
        << "caf\xE9\rx"_ba << u"caf\u00E9\nx"_s
        << format(TextEncoding::Windows1252, LineEnd::Cr, false);
    QTest::newRow("utf-8, crlf") << "a\r\n\r\nb\r\n"_ba << u"a\n\nb\n"_s
                                 << format(TextEncoding::Utf8, LineEnd::CrLf, true);
}

void tst_frmMainDocument::openShowsFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextFormat, expected);
    Window w;
    setEditorText(w.form.txt(), u"typed before\n"_s);
    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, bytes));

    QVERIFY(w.open(file));
    QCOMPARE(w.text(), text);
    QCOMPARE(w.path(), file);
    QVERIFY(w.form.documentFormat() == expected);
    QCOMPARE(w.warnings(), QStringList());
    QVERIFY(!w.form.txt().isReadOnly());
}

void tst_frmMainDocument::openMissingNameCreatesFileOnSave()
{
    Window w;
    const QString lf = path(u"lf.txt"_s), missing = path(u"new.txt"_s);
    QVERIFY(put(lf, "x\ny\n"));
    QVERIFY(w.open(lf));

    QVERIFY(w.open(missing));
    QCOMPARE(w.path(), missing);
    QCOMPARE(w.text(), u"x\ny\n"_s);
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(w.warnings(), QStringList());

    // A new file gets a new document's line ends, not those of the file shown before.
    QVERIFY(w.save());
    QCOMPARE(w.dialogs().saveRequests.size(), 0);
    QCOMPARE(contents(missing), "x\r\ny\r\n"_ba);
    QCOMPARE(contents(lf), "x\ny\n"_ba);
}

void tst_frmMainDocument::openCancelledChangesNothing()
{
    Window w;
    setEditorText(w.form.txt(), u"draft\n"_s);
    QVERIFY(w.open(std::nullopt));
    QCOMPARE(w.text(), u"draft\n"_s);
    QCOMPARE(w.path(), QString());

    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, "first\n"));
    QVERIFY(w.open(file));
    const TextFormat shown = w.form.documentFormat();
    QVERIFY(put(file, "changed on disk\r\n"));

    QVERIFY(w.open(std::nullopt));
    QCOMPARE(w.dialogs().openRequests.size(), 3);
    QCOMPARE(w.text(), u"first\n"_s);
    QCOMPARE(w.path(), file);
    QVERIFY(w.form.documentFormat() == shown);
    QCOMPARE(w.warnings(), QStringList());
}

void tst_frmMainDocument::openFailureKeepsDocument_data()
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

void tst_frmMainDocument::openFailureKeepsDocument()
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

    Window w;
    const QString old = path(u"old.txt"_s);
    if (hadPath) {
        QVERIFY(put(old, "old\n"));
        QVERIFY(w.open(old));
    }
    setEditorText(w.form.txt(), u"typed\n"_s);

    QVERIFY(w.open(target));
    QCOMPARE(w.warnings().size(), 1);
    QVERIFY2(w.warnings()[0].contains(QDir::toNativeSeparators(target)),
             qPrintable(w.warnings()[0]));
    QVERIFY2(w.warnings()[0].contains(reason), qPrintable(w.warnings()[0]));
    QCOMPARE(w.text(), u"typed\n"_s);
    QCOMPARE(w.path(), hadPath ? old : QString());
    QVERIFY(!w.form.txt().isReadOnly());

    if (hadPath) {
        QVERIFY(w.save());
        QCOMPARE(w.dialogs().saveRequests.size(), 0);
        QCOMPARE(contents(old), "typed\n"_ba);
    } else {
        QVERIFY(w.saveAs(std::nullopt));
        QCOMPARE(w.dialogs().saveRequests.size(), 1);
    }
    QCOMPARE(w.warnings().size(), 1);
    QCOMPARE(fingerprint(target), targetBefore);
    QCOMPARE(fingerprint(path(u"file.txt"_s)), fileBefore);
}

void tst_frmMainDocument::saveAsksForNameOnce_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("one line") << u"abc"_s << u"a.txt"_s << "abc\r\n"_ba;
    QTest::newRow("empty") << QString() << u"e.txt"_s << "\r\n"_ba;
    QTest::newRow("lines") << u"a\n\nb\n"_s << u"b.txt"_s << "a\r\n\r\nb\r\n"_ba;
    QTest::newRow("no extension") << u"abc"_s << u"notes"_s << "abc\r\n"_ba;
}

void tst_frmMainDocument::saveAsksForNameOnce()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    Window w;
    setEditorText(w.form.txt(), text);
    const QString file = path(name);

    QVERIFY(w.saveAs(file));
    QCOMPARE(w.dialogs().saveRequests.size(), 1);
    QCOMPARE(contents(file), bytes);
    QCOMPARE(entries(), QStringList{name});
    QCOMPARE(w.path(), file);
    QCOMPARE(w.warnings(), QStringList());

    setEditorText(w.form.txt(), u"second"_s);
    QVERIFY(w.save());
    QCOMPARE(w.dialogs().saveRequests.size(), 1);
    QCOMPARE(contents(file), "second\r\n"_ba);
    QCOMPARE(entries(), QStringList{name});
}

void tst_frmMainDocument::saveCancelledWritesNothing()
{
    Window w;
    setEditorText(w.form.txt(), u"abc"_s);
    QVERIFY(w.saveAs(std::nullopt));
    QCOMPARE(w.dialogs().saveRequests.size(), 1);
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.text(), u"abc"_s);
    QCOMPARE(entries(), QStringList());
    QCOMPARE(w.warnings(), QStringList());
}

void tst_frmMainDocument::saveOverwritesWithoutDialog()
{
    Window w;
    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, "old\r\nlonger text\r\n"));
    QVERIFY(w.open(file));
    setEditorText(w.form.txt(), u"new\n"_s);

    QVERIFY(w.save());
    QCOMPARE(w.dialogs().saveRequests.size(), 0);
    QCOMPARE(contents(file), "new\r\n"_ba);
    QCOMPARE(w.path(), file);
    QCOMPARE(entries(), QStringList{u"doc.txt"_s});
}

void tst_frmMainDocument::roundTripKeepsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("crlf") << "one\r\ntwo\r\n"_ba;
    QTest::newRow("lf") << "one\ntwo\n"_ba;
    QTest::newRow("cr") << "one\rtwo\r"_ba;
    QTest::newRow("no final line end") << "one\r\ntwo"_ba;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("utf-8 with bom") << "\xEF\xBB\xBF"
                                       "caf\xC3\xA9\r\n"_ba;
    QTest::newRow("utf-16 le with bom") << "\xFF\xFEh\0\xE9\0\r\0\n\0=\xD8\0\xDE\r\0\n\0"_ba;
    QTest::newRow("windows-1252") << "caf\xE9\r\n"_ba;
    QTest::newRow("nbsp, u+2028, tabs") << "a\xC2\xA0"
                                           "b\tc\xE2\x80\xA8"
                                           "d\t\r\n\t\r\n"_ba;
}

void tst_frmMainDocument::roundTripKeepsBytes()
{
    QFETCH(QByteArray, bytes);
    Window w;
    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, bytes));

    for (int round = 0; round < 2; ++round) {
        QVERIFY(w.open(file));
        QVERIFY(w.save());
        QCOMPARE(contents(file), bytes);
    }
    QCOMPARE(w.dialogs().saveRequests.size(), 0);
    QCOMPARE(w.warnings(), QStringList());
}

void tst_frmMainDocument::mixedLineEndsWarnAndBecomeUniform()
{
    Window w;
    const QString file = path(u"mixed.txt"_s);
    QVERIFY(put(file, "a\r\nb\nc"));

    QVERIFY(w.open(file));
    QCOMPARE(w.warnings().size(), 1);
    QVERIFY(w.warnings()[0].contains(u"line end"_s));
    QVERIFY(w.warnings()[0].contains(QDir::toNativeSeparators(file)));
    QCOMPARE(w.text(), u"a\nb\nc"_s);

    QVERIFY(w.save());
    QCOMPARE(contents(file), "a\r\nb\r\nc"_ba);
}

void tst_frmMainDocument::paragraphSeparatorWarns()
{
    Window w;
    const QString file = path(u"para.txt"_s);
    QVERIFY(put(file, "a\xE2\x80\xA9"
                      "b\n"));

    QVERIFY(w.open(file));
    QCOMPARE(w.warnings().size(), 1);
    QVERIFY(w.warnings()[0].contains(u"U+2029"_s));
    QVERIFY(w.warnings()[0].contains(QDir::toNativeSeparators(file)));
    QCOMPARE(w.path(), file);
}

void tst_frmMainDocument::veryLongLineAsksFirst_data()
{
    QTest::addColumn<bool>("agree");
    QTest::newRow("declined") << false;
    QTest::newRow("agreed") << true;
}

// A line long enough to make every key press slow is opened only when the user agrees; lines
// up to the limit open without a question.
void tst_frmMainDocument::veryLongLineAsksFirst()
{
    QFETCH(bool, agree);
    Window w;
    const QString atLimit = path(u"at-limit.txt"_s);
    QVERIFY(put(atLimit, QByteArray(SlowLineLength, 'a') + "\n"));
    QVERIFY(w.open(atLimit));
    QVERIFY(w.platform.messageBoxes.questions.isEmpty());
    QCOMPARE(w.path(), atLimit);

    const QString tooLong = path(u"too-long.txt"_s);
    QVERIFY(put(tooLong, "short\n" + QByteArray(SlowLineLength + 1, 'b') + "\nshort\n"));
    w.platform.messageBoxes.answers.push_back(agree);
    QVERIFY(w.open(tooLong));
    QCOMPARE(w.platform.messageBoxes.questions.size(), 1);
    QVERIFY(w.platform.messageBoxes.questions[0].contains(QDir::toNativeSeparators(tooLong)));
    QCOMPARE(w.path(), agree ? tooLong : atLimit);
    QCOMPARE(w.text().size(), agree ? 6 + SlowLineLength + 1 + 7 : SlowLineLength + 1);
}

void tst_frmMainDocument::unrepresentableCharacterAsks_data()
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

void tst_frmMainDocument::unrepresentableCharacterAsks()
{
    QFETCH(QString, character);
    QFETCH(QString, code);
    QFETCH(QByteArray, utf8);
    QFETCH(bool, accept);
    Window w;
    const QString file = path(u"cp.txt"_s);
    const QByteArray original = "caf\xE9\r\n"_ba;
    QVERIFY(put(file, original));
    QVERIFY(w.open(file));
    QCOMPARE(w.form.documentFormat().encoding, TextEncoding::Windows1252);
    setEditorText(w.form.txt(), u"caf\u00E9 "_s + character + u'\n');

    w.platform.messageBoxes.answers.push_back(accept);
    QVERIFY(w.save());
    const QStringList &questions = w.platform.messageBoxes.questions;
    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions[0].contains(code), qPrintable(questions[0]));
    QVERIFY(questions[0].contains(encodingName(TextEncoding::Windows1252)));
    QCOMPARE(w.warnings(), QStringList());
    QCOMPARE(w.dialogs().saveRequests.size(), 0);
    QCOMPARE(w.path(), file);

    if (accept) {
        const QByteArray expected = "caf\xC3\xA9 "_ba + utf8 + "\r\n"_ba;
        QCOMPARE(contents(file), expected);
        QVERIFY(w.form.documentFormat() == format(TextEncoding::Utf8, LineEnd::CrLf, true));
        QVERIFY(w.save());
        QCOMPARE(questions.size(), 1);
        QCOMPARE(contents(file), expected);
    } else {
        QCOMPARE(contents(file), original);
        QCOMPARE(w.form.documentFormat().encoding, TextEncoding::Windows1252);
        // Declining once does not switch the encoding behind the user's back.
        QVERIFY(w.save());
        QCOMPARE(questions.size(), 2);
        QCOMPARE(contents(file), original);
    }
    QCOMPARE(entries(), QStringList{u"cp.txt"_s});
}

void tst_frmMainDocument::failedSaveOffersAnotherName_data()
{
    QTest::addColumn<bool>("removedFolder");
    QTest::addColumn<bool>("confirm");

    QTest::newRow("removed folder, cancelled") << true << false;
    QTest::newRow("removed folder, other name") << true << true;
    QTest::newRow("through a file, cancelled") << false << false;
    QTest::newRow("through a file, other name") << false << true;
}

void tst_frmMainDocument::failedSaveOffersAnotherName()
{
    QFETCH(bool, removedFolder);
    QFETCH(bool, confirm);
    Window w;
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
        w.dialogs().answers.push_back(failing);
        reason = u"not a folder"_s;
    }
    setEditorText(w.form.txt(), u"new\n"_s);
    const qsizetype dialogsBefore = removedFolder ? 0 : 1;

    QVERIFY(w.saveAs(confirm ? std::optional<QString>(other) : std::nullopt));
    QCOMPARE(w.warnings().size(), 1);
    QVERIFY2(w.warnings()[0].contains(QDir::toNativeSeparators(failing)),
             qPrintable(w.warnings()[0]));
    QVERIFY2(w.warnings()[0].contains(reason), qPrintable(w.warnings()[0]));
    QCOMPARE(w.dialogs().saveRequests.size(), dialogsBefore + 1);
    const FileDialogOptions &offered = w.dialogs().saveRequests.last();
    QCOMPARE(offered.filter, DocumentFilter);
    QCOMPARE(offered.filterIndex, 2);
    QVERIFY(offered.overwritePrompt);
    QCOMPARE(offered.fileName, QString());

    QCOMPARE(w.text(), u"new\n"_s);
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

void tst_frmMainDocument::saveThroughSymbolicLink()
{
    Window w;
    const QString target = path(u"target.txt"_s), link = path(u"link.txt"_s);
    QVERIFY(put(target, "old\r\n"));
    QVERIFY(QFile::link(target, link));

    QVERIFY(w.open(link));
    QCOMPARE(w.path(), link);
    setEditorText(w.form.txt(), u"new\n"_s);
    QVERIFY(w.save());

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(contents(target), "new\r\n"_ba);
    QCOMPARE(w.path(), link);
}

void tst_frmMainDocument::commandsWaitForRunningJob()
{
    Window w;
    const QString file = path(u"doc.txt"_s), other = path(u"other.txt"_s);
    QVERIFY(put(file, "from disk\n"));
    setEditorText(w.form.txt(), u"typed\n"_s);

    PoolBlocker blocker;
    w.dialogs().answers.push_back(file);
    w.form.mnuFileItem_Click(FileOpen);
    QVERIFY(w.form.isFileBusy());
    for (const short item : {FileClear, FileOpen, FileSave})
        QVERIFY(!w.form.mnuFileItem(item)->isEnabled());
    QVERIFY(w.form.mnuFileItem(FileExit)->isEnabled());
    QVERIFY(w.form.txt().isReadOnly());

    w.form.mnuFileItem_Click(FileClear);
    w.dialogs().answers.push_back(other);
    w.form.mnuFileItem_Click(FileOpen);
    w.form.mnuFileItem_Click(FileSave);
    QCoreApplication::processEvents();
    QCOMPARE(w.text(), u"typed\n"_s);
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.dialogs().openRequests.size(), 1);
    QCOMPARE(w.dialogs().saveRequests.size(), 0);
    w.dialogs().answers.clear();

    blocker.release();
    QVERIFY(w.settled());
    QCOMPARE(w.text(), u"from disk\n"_s);
    QCOMPARE(w.path(), file);
    QVERIFY(!w.form.txt().isReadOnly());
    for (const short item : {FileClear, FileOpen, FileSave})
        QVERIFY(w.form.mnuFileItem(item)->isEnabled());
    QCOMPARE(entries(), QStringList{u"doc.txt"_s});
}

namespace {

// About 6 MB of numbered lines: enough for many turns of the event loop while it goes in.
QByteArray largeDocument()
{
    QByteArray bytes;
    for (int line = 0; line < 100000; ++line)
        bytes += "line " + QByteArray::number(line) + " of a large document to open\r\n";
    return bytes;
}

// Records how the window looks each time the editor paints while an Open is under way.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(frmMain &form)
        : m_form(form)
    {
        form.txt().viewport()->installEventFilter(this);
    }
    // Paints seen with the text partly in: progress shown and neither 0 nor 100 %.
    int paintsPartlyIn = 0;
    // Of those, the ones where the editor took typing or a command could replace the text.
    int paintsOpenToChange = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *const bar = m_form.findChild<QProgressBar *>(u"openProgress"_s);
        if (event->type() == QEvent::Paint && bar && bar->isVisible() && bar->value() > 0 &&
            bar->value() < 100) {
            ++paintsPartlyIn;
            if (!m_form.txt().isReadOnly() || m_form.mnuFileItem(FileOpen)->isEnabled() ||
                m_form.mnuFileItem(FileClear)->isEnabled() ||
                !m_form.mnuFileItem(FileExit)->isEnabled())
                ++paintsOpenToChange;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    frmMain &m_form;
};

} // namespace

void tst_frmMainDocument::largeFileGoesInWhileWindowAnswers()
{
    Window w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    const QString file = path(u"large.txt"_s);
    const QByteArray bytes = largeDocument();
    QVERIFY(put(file, bytes));
    PaintWatcher watcher(w.form);
    const auto *const bar = w.form.findChild<QProgressBar *>(u"openProgress"_s);
    QVERIFY(bar && !bar->isVisible());

    w.dialogs().answers.push_back(file);
    w.form.mnuFileItem_Click(FileOpen);
    QVERIFY(bar->isVisible());
    // Keys typed while the text goes in do not reach it.
    QVERIFY(QTest::qWaitFor([&] { return bar->value() > 0; }, 30000));
    QTest::keyClicks(&w.form.txt(), u"typed"_s);
    QVERIFY(QTest::qWaitFor([&] { return !w.form.isFileBusy(); }, 60000));

    QVERIFY2(watcher.paintsPartlyIn > 0, "the editor never painted while the text went in");
    QCOMPARE(watcher.paintsOpenToChange, 0);
    QVERIFY(!bar->isVisible());
    QVERIFY(!w.form.txt().isReadOnly());
    QCOMPARE(w.text(), QString::fromLatin1(bytes).replace(u"\r\n"_s, u"\n"_s));
    QCOMPARE(w.path(), file);
    QCOMPARE(w.form.txt().textCursor().position(), 0);
    QVERIFY(!w.form.txt().document()->isUndoAvailable());
    // The document saves back to the same bytes.
    QVERIFY(w.save());
    QCOMPARE(contents(file), bytes);
}

void tst_frmMainDocument::exitWhileLargeFileGoesIn()
{
    Window w;
    w.form.show();
    const QString file = path(u"large.txt"_s);
    QVERIFY(put(file, largeDocument()));
    QSignalSpy unloaded(&w.form, &frmMain::unloaded);
    const auto *const bar = w.form.findChild<QProgressBar *>(u"openProgress"_s);

    w.dialogs().answers.push_back(file);
    w.form.mnuFileItem_Click(FileOpen);
    QVERIFY(QTest::qWaitFor([&] { return bar->value() > 0 && bar->value() < 100; }, 30000));
    w.form.mnuFileItem_Click(FileExit);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!w.form.isFileBusy());
    // Nothing more goes in after the window was unloaded.
    const int characters = w.form.txt().document()->characterCount();
    QTest::qWait(100);
    QCOMPARE(w.form.txt().document()->characterCount(), characters);
    QCOMPARE(w.path(), QString());
}

QTEST_MAIN(tst_frmMainDocument)
#include "tst_frmMainDocument.moc"
