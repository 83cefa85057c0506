// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "storage/Document.h"
#include "storage/EditorText.h"

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace MenuDesign;
using namespace Qt::StringLiterals;
using testFiles::contents;
using testFiles::put;

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
            [this] { return !form.document().isBusy() && form.mnuFileItem(FileOpen)->isEnabled(); },
            5000);
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

// The window's side of the document commands: the dialogs it shows, the commands it turns off
// while a file is busy, and Exit in the middle of an Open.
class tst_frmMainFileCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogSettings();
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

void tst_frmMainFileCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_frmMainFileCommands::cleanup()
{
    m_dir.reset();
}

void tst_frmMainFileCommands::dialogSettings()
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

void tst_frmMainFileCommands::commandsWaitForRunningJob()
{
    Window w;
    const QString file = path(u"doc.txt"_s), other = path(u"other.txt"_s);
    QVERIFY(put(file, "from disk\n"));
    setEditorText(w.form.txt(), u"typed\n"_s);

    PoolBlocker blocker;
    w.dialogs().answers.push_back(file);
    w.form.mnuFileItem_Click(FileOpen);
    QVERIFY(w.form.document().isBusy());
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

void tst_frmMainFileCommands::largeFileGoesInWhileWindowAnswers()
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
    QVERIFY(QTest::qWaitFor([&] { return !w.form.document().isBusy(); }, 60000));

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

void tst_frmMainFileCommands::exitWhileLargeFileGoesIn()
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
    QVERIFY(!w.form.document().isBusy());
    // Nothing more goes in after the window was unloaded.
    const int characters = w.form.txt().document()->characterCount();
    QTest::qWait(100);
    QCOMPARE(w.form.txt().document()->characterCount(), characters);
    QCOMPARE(w.path(), QString());
}

QTEST_MAIN(tst_frmMainFileCommands)
#include "tst_frmMainFileCommands.moc"
