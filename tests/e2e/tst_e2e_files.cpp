// SPDX-License-Identifier: GPL-3.0-or-later
// Open and Save through the real file dialog, on a real desktop, with real files on disk.
#include "DesktopDriver.h"
#include "StorageTestFiles.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

using namespace desktop;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A tmpfs of a few kilobytes that this test mounts, so that a full disk is real even for root.
class SmallDisk {
public:
    SmallDisk()
    {
        m_mounted = ::mount("tmpfs", qPrintable(m_dir.path()), "tmpfs", 0, "size=16k") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount(qPrintable(m_dir.path()));
    }
    bool isMounted() const { return m_mounted; }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Takes all the space that is left.
    void fill()
    {
        QFile filler(path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

class TestFilesOnDesktop : public QObject {
    Q_OBJECT

private slots:
    void saveAsksOnceThenWritesToTheSameFile();
    void openShowsTheFilesText();
    void openListsAFolderWithoutWaitingOnItsFiles();
    void saveOnAFullDiskWarnsAndKeepsTheOldFile();
    void largeFileOpensAndExitStillWorks();

private:
    QTemporaryDir m_dir;

    // Picks an item of the File menu by its access key.
    static bool pick(TavloProcess &tavlo, const QString &accessKey)
    {
        return tavlo.openFileMenu() && tavlo.pick(accessKey);
    }
    // A dialog or message box of the program: a framed window that is not the main window.
    static QString waitForDialog(TavloProcess &tavlo)
    {
        QString dialog;
        waitFor([&] {
            const QString main = tavlo.mainWindow();
            for (const QString &window : tavlo.visibleWindows()) {
                if (window != main && window != tavlo.trayWindow() &&
                    desktop::property(window, QStringLiteral("WM_NAME")).contains(u'='))
                    dialog = window;
            }
            return !dialog.isEmpty() && activeWindow().toULongLong() == dialog.toULongLong();
        });
        return dialog;
    }
    static bool noDialogAppears(TavloProcess &tavlo)
    {
        QTest::qWait(700);
        return tavlo.visibleWindows().size() == 2; // the main window and the tray icon
    }
    // Qt's own file dialog starts with the focus in its file-name box.
    static void answerFileDialog(const QString &path)
    {
        key(QStringLiteral("ctrl+a"));
        type(path);
        key(QStringLiteral("Return"));
    }
};

void TestFilesOnDesktop::saveAsksOnceThenWritesToTheSameFile()
{
    const QString path = m_dir.filePath(QStringLiteral("note without extension"));
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    type(QStringLiteral("first line"));
    QVERIFY(pick(tavlo, QStringLiteral("s")));
    QVERIFY(!waitForDialog(tavlo).isEmpty());
    screenshot(QStringLiteral("save-dialog"));
    answerFileDialog(path);
    QVERIFY(waitFor([&] { return contents(path) == "first line\r\n"; }));

    // The second Save goes to the same file without asking.
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));
    key(QStringLiteral("ctrl+End"));
    type(QStringLiteral(" and more"));
    QVERIFY(pick(tavlo, QStringLiteral("s")));
    QVERIFY(waitFor([&] { return contents(path) == "first line and more\r\n"; }));
    QVERIFY(noDialogAppears(tavlo));
}

void TestFilesOnDesktop::openShowsTheFilesText()
{
    const QString path = m_dir.filePath(QStringLiteral("existing.txt"));
    QVERIFY(writeBytes(path, "line one\nline two\n"));
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(pick(tavlo, QStringLiteral("o")));
    QVERIFY(!waitForDialog(tavlo).isEmpty());
    screenshot(QStringLiteral("open-dialog"));
    answerFileDialog(path);
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));
    // The text goes into the editor a slice at a time.
    const QString text = QStringLiteral("line one\nline two\n");
    waitFor([&] { return copyFocusedText() == text; });
    screenshot(QStringLiteral("opened-file"));
    QCOMPARE(copyFocusedText(), text);

    // Saved back unchanged: same bytes, LF line ends kept.
    QVERIFY(pick(tavlo, QStringLiteral("s")));
    QVERIFY(noDialogAppears(tavlo));
    QCOMPARE(contents(path), QByteArray("line one\nline two\n"));
}

void TestFilesOnDesktop::openListsAFolderWithoutWaitingOnItsFiles()
{
    // A file in the listed folder that no one can open for now, as /proc/kmsg is for root.
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("held")));
    const QString folder = m_dir.filePath(QStringLiteral("held"));
    QVERIFY(writeBytes(folder + QStringLiteral("/note.txt"), "beside a held file\n"));
    const testFiles::HeldFile held(folder + QStringLiteral("/no-extension"));
    if (!held.isHeld())
        QSKIP("This file system or kernel offers no file leases.");

    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(pick(tavlo, QStringLiteral("o")));
    QVERIFY(!waitForDialog(tavlo).isEmpty());
    answerFileDialog(folder); // the dialog goes into the folder and lists it
    answerFileDialog(folder + QStringLiteral("/note.txt"));
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));
    QCOMPARE(copyFocusedText(), QStringLiteral("beside a held file\n"));
}

void TestFilesOnDesktop::saveOnAFullDiskWarnsAndKeepsTheOldFile()
{
    if (::geteuid() != 0)
        QSKIP("mounting a small disk needs root");
    SmallDisk disk;
    QVERIFY2(disk.isMounted(), "could not mount a tmpfs");
    const QString path = disk.path(QStringLiteral("note.txt"));
    const QByteArray old = QByteArray(3000, 'o') + "\r\n";
    QVERIFY(writeBytes(path, old));

    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    QVERIFY(pick(tavlo, QStringLiteral("o")));
    QVERIFY(!waitForDialog(tavlo).isEmpty());
    answerFileDialog(path);
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));
    disk.fill();
    type(QStringLiteral("new "));

    QVERIFY(pick(tavlo, QStringLiteral("s")));
    const QString message = waitForDialog(tavlo);
    QVERIFY(!message.isEmpty());
    screenshot(QStringLiteral("save-on-full-disk"));
    key(QStringLiteral("Return"));
    // Then the Save dialog is offered, so that the text can go elsewhere; cancel it.
    QVERIFY(waitFor([&] { return !isViewable(message); }));
    QVERIFY(!waitForDialog(tavlo).isEmpty());
    key(QStringLiteral("Escape"));
    QVERIFY(
        waitFor([&] { return activeWindow().toULongLong() == tavlo.mainWindow().toULongLong(); }));

    QCOMPARE(contents(path), old);
    QCOMPARE(QDir(disk.path(QString())).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

namespace {

// Whether the bottom of the editor shows a progress bar's filled part: the style's highlight
// blue, left of the corner picture, where the editor otherwise shows only text on white.
bool showsProgressBar(const QRect &client)
{
    static int shots = 0;
    const QString name = QStringLiteral("large-file-%1").arg(++shots);
    screenshot(name);
    const QImage screen(artifactPath(name));
    const QRect strip(client.left(), client.bottom() - 24, client.width() / 2, 24);
    int blue = 0;
    for (int y = strip.top(); y <= strip.bottom(); ++y) {
        for (int x = strip.left(); x <= strip.right(); ++x) {
            const QColor colour = screen.pixelColor(x, y);
            if (colour.blue() > 150 && colour.red() < 110 && colour.blue() - colour.green() > 30)
                ++blue;
        }
    }
    return blue >= 20;
}

} // namespace

void TestFilesOnDesktop::largeFileOpensAndExitStillWorks()
{
    // About 100 MB of lines: read and decoded on a worker in well under a second, then shown at
    // once, as only the rows on screen are laid out.
    const QString path = m_dir.filePath(QStringLiteral("large.txt"));
    QByteArray bytes;
    for (int line = 0; line < 1600000; ++line)
        bytes += "line " + QByteArray::number(line) + " of a large file opened on the desktop\n";
    QVERIFY(writeBytes(path, bytes));
    TavloProcess tavlo;
    QVERIFY(tavlo.start());
    const QRect client = clientRect(tavlo.mainWindow());

    QVERIFY(pick(tavlo, QStringLiteral("o")));
    QVERIFY(!waitForDialog(tavlo).isEmpty());
    answerFileDialog(path);
    QVERIFY2(waitFor([&] { return !showsProgressBar(client); }, 20000),
             "the busy bar stays after the file was read");

    // The window answers: the end of the text is a key away, its File menu opens, and Exit ends
    // the program at once.
    key(QStringLiteral("ctrl+End"));
    QVERIFY(tavlo.openFileMenu());
    screenshot(QStringLiteral("large-file-menu"));
    QVERIFY(tavlo.pick(QStringLiteral("e")));
    QVERIFY(tavlo.waitForExit(5000));
    QCOMPARE(tavlo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tavlo.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestFilesOnDesktop)
#include "tst_e2e_files.moc"
