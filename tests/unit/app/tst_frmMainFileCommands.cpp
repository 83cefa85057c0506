// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "FakePlatform.h"
#include "PoolBlocker.h"
#include "StorageTestFiles.h"
#include "app/MenuDesign.h"
#include "app/frmMain.h"
#include "storage/Document.h"
#include "textbox/TextBox.h"

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
    QString text() const { return form.txt().toPlainText(); }
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
    void exitWhileFileIsRead();
    void exitWhileFileIsWritten();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList entries() const { return testFiles::entries(m_dir->path()); }
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
    QVERIFY(put(file, "from disk\r\n"));
    w.form.txt().insertText(u"typed"_s);
    const auto *const bar = w.form.findChild<QProgressBar *>(u"openProgress"_s);
    QVERIFY(bar && !bar->isVisible());

    PoolBlocker blocker;
    w.dialogs().answers.push_back(file);
    w.form.mnuFileItem_Click(FileOpen);
    QVERIFY(w.form.document().isBusy());
    for (const short item : {FileClear, FileOpen, FileSave})
        QVERIFY(!w.form.mnuFileItem(item)->isEnabled());
    QVERIFY(w.form.mnuFileItem(FileExit)->isEnabled());
    // While the file is read the box takes no typing, and a busy bar lies along its bottom.
    QVERIFY(w.form.txt().isReadOnly());
    QVERIFY(bar->isVisibleTo(&w.form));
    const QRect text = w.form.txt().viewport()->geometry();
    QCOMPARE(bar->geometry().bottom(), text.bottom());
    QCOMPARE(bar->geometry().width(), text.width());

    w.form.mnuFileItem_Click(FileClear);
    w.dialogs().answers.push_back(other);
    w.form.mnuFileItem_Click(FileOpen);
    w.form.mnuFileItem_Click(FileSave);
    QCoreApplication::processEvents();
    QCOMPARE(w.text(), u"typed"_s);
    QCOMPARE(w.path(), QString());
    QCOMPARE(w.dialogs().openRequests.size(), 1);
    QCOMPARE(w.dialogs().saveRequests.size(), 0);
    w.dialogs().answers.clear();

    blocker.release();
    QVERIFY(w.settled());
    QCOMPARE(w.text(), u"from disk\r\n"_s);
    QCOMPARE(w.path(), file);
    QVERIFY(!w.form.txt().isReadOnly());
    QVERIFY(!bar->isVisibleTo(&w.form));
    // A fresh text: the caret at its start and nothing to undo.
    QCOMPARE(w.form.txt().cursorPosition(), 0);
    QVERIFY(!w.form.txt().isUndoAvailable());
    for (const short item : {FileClear, FileOpen, FileSave})
        QVERIFY(w.form.mnuFileItem(item)->isEnabled());
    QCOMPARE(entries(), QStringList{u"doc.txt"_s});
}

// Exit during an Open: what is read is of no more use.
void tst_frmMainFileCommands::exitWhileFileIsRead()
{
    Window w;
    w.form.show();
    const QString file = path(u"doc.txt"_s);
    QVERIFY(put(file, "from disk\n"));
    w.form.txt().setPlainText(u"typed"_s);
    QSignalSpy unloaded(&w.form, &frmMain::unloaded);

    w.dialogs().answers.push_back(file);
    w.form.mnuFileItem_Click(FileOpen);
    QVERIFY(w.form.document().isBusy());
    w.form.mnuFileItem_Click(FileExit);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(QTest::qWaitFor([&] { return !w.form.document().isBusy(); }, 5000));
    QCOMPARE(w.text(), u"typed"_s);
    QCOMPARE(w.path(), QString());
}

// Exit takes the window and the tray icon away at once; the program ends once the file is
// written, and nothing brings the window back meanwhile.
void tst_frmMainFileCommands::exitWhileFileIsWritten()
{
    Window w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    const QString file = path(u"doc.txt"_s);
    w.form.txt().setPlainText(u"typed"_s);
    QSignalSpy unloading(&w.form, &frmMain::unloading);
    QSignalSpy unloaded(&w.form, &frmMain::unloaded);

    PoolBlocker blocker;
    w.dialogs().answers.push_back(file);
    w.form.mnuFileItem_Click(FileSave);
    QVERIFY(w.form.document().isBusy());
    w.form.mnuFileItem_Click(FileExit);
    QVERIFY2(!blocker.wentOnByItself(), "Exit waited for the file system");
    QVERIFY(!w.form.isVisible());
    QVERIFY(w.platform.trayIcon.removed);
    QCOMPARE(unloading.size(), 1);
    QCOMPARE(unloaded.size(), 0);
    w.platform.trayIcon.clickLeft();
    w.form.bringForward();
    QVERIFY(!w.form.isVisible());

    blocker.release();
    QTRY_COMPARE_WITH_TIMEOUT(unloaded.size(), 1, 20000);
    QCOMPARE(contents(file), "typed\r\n"_ba);
    QVERIFY(!w.form.isVisible());
}

QTEST_MAIN(tst_frmMainFileCommands)
#include "tst_frmMainFileCommands.moc"
