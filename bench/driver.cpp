// SPDX-License-Identifier: GPL-3.0-or-later
// Tavlo's own main window on the screen, with scripted file dialogs, timed from inside:
//
//   tavlo_bench_driver open FILE [--save] [--cap SECONDS]
//       File > Open of FILE until the worker is done, the text is in the editor, the File menu
//       is usable again and the window is painted; also when the first text was in, and the
//       longest time the window's event loop did not turn meanwhile. Then, with --save, File >
//       Save over the same path until the text is safely on disk and the menu is usable again.
//   tavlo_bench_driver type FILE --at start|end [--presses N] [--cap SECONDS]
//       opens FILE, puts the caret at its start or end, then times each key press from its
//       delivery to the editor until the editor is painted.
//
// Prints key=value lines as each figure is known. A phase (open, save, typing) that takes longer
// than the cap (20 s unless given) ends the program with "timeout=PHASE" and exit code 3; any
// other failure exits with 1.
#include "BenchSupport.h"

#include "FakePlatform.h"
#include "app/MenuDesign.h"
#include "app/frmMain.h"
#include "platform/posix/PosixMemory.h"
#include "storage/Document.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

int fail(const QString &why)
{
    fprintf(stderr, "tavlo_bench_driver: %s\n", qPrintable(why));
    return 1;
}

// Ends the program when a phase outlasts the cap: a single call into the editor cannot be
// interrupted from the thread that makes it.
class Watchdog {
public:
    Watchdog(const char *phase, double capMs)
        : m_thread([this, phase, capMs] {
            std::unique_lock<std::mutex> lock(m_mutex);
            const auto cap = std::chrono::duration<double, std::milli>(capMs);
            if (!m_done.wait_for(lock, cap, [this] { return m_finished; })) {
                const std::string line = std::string("timeout=") + phase + '\n';
                (void)::write(STDOUT_FILENO, line.data(), line.size());
                _exit(3);
            }
        })
    {}
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// The longest time between two turns of the event loop, seen by a timer that asks to run every
// few milliseconds: how long the window could not repaint or answer a click.
class StallMeter : public QObject {
public:
    StallMeter()
    {
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double now = bench::nowMs();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_last = bench::nowMs();
        m_timer.start();
    }
    double longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    double m_last = 0;
    double m_longest = 0;
};

// Picks a File menu item and waits, on the event loop, until the file operation it started has
// finished and the menu's file items are enabled again.
bool runFileCommand(frmMain &form, short index)
{
    QAction *const open = form.mnuFileItem(MenuDesign::FileOpen);
    form.mnuFileItem_Click(index);
    if (open->isEnabled())
        return false; // no operation started (a cancelled dialog, or one still running)
    QEventLoop loop;
    QObject::connect(open, &QAction::changed, &loop, [&] {
        if (open->isEnabled())
            loop.quit();
    });
    loop.exec();
    return !form.document().isBusy();
}

QString option(const QStringList &args, const QString &name, const QString &fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 ? args.value(at + 1, fallback) : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    // As Tavlo's own main does.
    returnLargeBlocksToSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavlo"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QApplication::arguments();
    const QString mode = args.value(1);
    const QString path = args.value(2);
    const double capMs =
        option(args, QStringLiteral("--cap"), QStringLiteral("20")).toDouble() * 1000;
    if ((mode != QLatin1String("open") && mode != QLatin1String("type")) || path.isEmpty() ||
        capMs <= 0)
        return fail(QStringLiteral("usage: open FILE [--save] [--cap S] | type FILE --at "
                                   "start|end [--presses N] [--cap S]"));

    FakePlatform platform;
    frmMain form(platform.services());
    form.Form_Load();
    form.show();
    form.activateWindow();
    if (!bench::waitExposed(form))
        return fail(QStringLiteral("the main window was never exposed"));
    bench::paintNow(form);
    QPlainTextEdit &editor = form.txt();

    const long rssBefore = bench::statusKb("VmRSS");
    platform.fileDialogs.answers.push_back(path);
    // Documents with very long lines are opened only after a question; the benchmark agrees.
    platform.messageBoxes.answers.push_back(true);
    double start = bench::nowMs();
    double firstTextMs = -1;
    const QMetaObject::Connection firstText =
        QObject::connect(editor.document(), &QTextDocument::contentsChanged, [&] {
            if (firstTextMs < 0 && !editor.document()->isEmpty())
                firstTextMs = bench::nowMs() - start;
        });
    double longestStallMs = 0;
    {
        const Watchdog watchdog("open", capMs);
        const StallMeter stalls;
        if (!runFileCommand(form, MenuDesign::FileOpen))
            return fail(QStringLiteral("Open did not run"));
        bench::paintNow(form);
        longestStallMs = stalls.longestMs();
    }
    const double openMs = bench::nowMs() - start;
    QObject::disconnect(firstText);
    if (!platform.messageBoxes.warnings.isEmpty())
        return fail(QStringLiteral("Open warned: ") + platform.messageBoxes.warnings.join(u' '));
    if (form.txtFile().text() != path || editor.document()->isEmpty() ||
        !editor.cursorForPosition(QPoint(0, 0)).block().isValid())
        return fail(QStringLiteral("the document is not shown after Open"));
    bench::report("open_ms", openMs);
    bench::report("open_first_text_ms", firstTextMs);
    bench::report("open_longest_stall_ms", longestStallMs);
    bench::report("rss_before_kb", double(rssBefore));
    bench::report("hwm_kb", double(bench::statusKb("VmHWM")));

    if (mode == QLatin1String("open")) {
        if (args.contains(QStringLiteral("--save"))) {
            platform.messageBoxes.questions.clear();
            start = bench::nowMs();
            {
                const Watchdog watchdog("save", capMs);
                if (!runFileCommand(form, MenuDesign::FileSave))
                    return fail(QStringLiteral("Save did not run"));
            }
            const double saveMs = bench::nowMs() - start;
            if (!platform.messageBoxes.warnings.isEmpty() ||
                !platform.messageBoxes.questions.isEmpty())
                return fail(QStringLiteral("Save asked or warned"));
            bench::report("save_ms", saveMs);
        }
        return 0;
    }

    const bool atEnd = option(args, QStringLiteral("--at"), QString()) == QLatin1String("end");
    const int presses = option(args, QStringLiteral("--presses"), QStringLiteral("20")).toInt();
    QTextCursor cursor = editor.textCursor();
    cursor.movePosition(atEnd ? QTextCursor::End : QTextCursor::Start);
    editor.setTextCursor(cursor);
    editor.ensureCursorVisible();
    editor.setFocus();
    bench::paintNow(form);

    const int charactersBefore = editor.document()->characterCount();
    {
        const Watchdog watchdog("typing", capMs);
        for (int i = 0; i < presses; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            start = bench::nowMs();
            QCoreApplication::sendEvent(&editor, &press);
            QCoreApplication::sendEvent(&editor, &release);
            bench::paintNow(*editor.viewport());
            bench::report("key_ms", bench::nowMs() - start);
        }
    }
    if (editor.document()->characterCount() != charactersBefore + presses)
        return fail(QStringLiteral("the key presses did not reach the text"));
    return 0;
}
