// SPDX-License-Identifier: GPL-3.0-or-later
// Tavlo's own main window on the screen, with scripted file dialogs, timed from inside:
//
//   tavlo_bench_driver open FILE [--resize] [--save] [--cap SECONDS]
//       File > Open of FILE until the text is on screen and the window's event loop is idle,
//       and the longest time that loop did not turn meanwhile. With --resize, then changes the
//       window's width 5 times, each until the box has its new width and is painted. With
//       --save, then File > Save over the same path until the save has ended.
//   tavlo_bench_driver type FILE [--presses N] [--cap SECONDS]
//       opens FILE, then times key presses at its start, Ctrl+End, key presses at its end,
//       clicks deep in the text, and Down and Enter on the bottom row in view near its start,
//       each until the box is painted (see EditorActions.h).
//
// Prints key=value lines as each figure is known. A phase that takes longer than the cap (20 s
// unless given) ends the program with "timeout=PHASE" and exit code 3; any other failure exits
// with 1.
#include "BenchSupport.h"
#include "EditorActions.h"

#include "FakePlatform.h"
#include "app/MenuDesign.h"
#include "app/frmMain.h"
#include "platform/posix/PosixMemory.h"
#include "storage/Document.h"
#include "textbox/TextBox.h"

#include <QAction>
#include <QLineEdit>

#include <type_traits>

template <> struct EditorAccess<TextBox> {
    static qsizetype length(const TextBox &box) { return box.text().length(); }
    static qsizetype position(const TextBox &box) { return box.cursorPosition(); }
    static void setPosition(TextBox &box, qsizetype position) { box.setCursorPosition(position); }
};

namespace {

using Box = std::remove_reference_t<decltype(std::declval<frmMain &>().txt())>;
using Access = EditorAccess<Box>;

int fail(const QString &why)
{
    fprintf(stderr, "tavlo_bench_driver: %s\n", qPrintable(why));
    return 1;
}

// The longest time between two turns of the event loop, seen by a timer that asks to run every
// few milliseconds: how long the window could not repaint or answer a click.
class StallMeter : public QObject {
public:
    explicit StallMeter(bench::Application &app)
        : m_app(app)
    {
        m_app.addProbe(&m_timer);
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double now = bench::nowMs();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_last = bench::nowMs();
        m_timer.start();
    }
    ~StallMeter() override { m_app.removeProbe(&m_timer); }
    double longestMs() const { return m_longest; }

private:
    bench::Application &m_app;
    QTimer m_timer;
    double m_last = 0;
    double m_longest = 0;
};

// Picks a File menu item and runs the event loop until the file operation it started has
// ended. False when none started (a cancelled dialog, or one still running).
bool runFileCommand(frmMain &form, short index)
{
    Document &document = form.document();
    form.mnuFileItem_Click(index);
    if (!document.isBusy())
        return false;
    QEventLoop loop;
    QObject::connect(&document, &Document::busyChanged, &loop, [&] {
        if (!document.isBusy())
            loop.quit();
    });
    loop.exec();
    return true;
}

QString option(const QStringList &args, const QString &name, const QString &fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 ? args.value(at + 1, fallback) : fallback;
}

// File > Open of path until the text is on screen and the event loop is idle.
int openFile(bench::Application &app, frmMain &form, FakePlatform &platform, const QString &path,
             double capMs)
{
    const long rssBefore = bench::statusKb("VmRSS");
    platform.fileDialogs.answers.push_back(path);
    // Should Tavlo ask before opening a document with very long lines, the benchmark agrees.
    platform.messageBoxes.answers.push_back(true);
    const double start = bench::nowMs();
    double longestStallMs = 0;
    double painted = 0;
    {
        const bench::Watchdog watchdog("open", capMs);
        const StallMeter stalls(app);
        if (!runFileCommand(form, MenuDesign::FileOpen))
            return fail(QStringLiteral("Open did not run"));
        bench::paintNow(form);
        painted = bench::nowMs();
        painted = std::max(painted, bench::waitIdle(app).value_or(bench::nowMs()));
        longestStallMs = stalls.longestMs();
    }
    platform.messageBoxes.answers.clear();
    if (!platform.messageBoxes.warnings.isEmpty())
        return fail(QStringLiteral("Open warned: ") + platform.messageBoxes.warnings.join(u' '));
    if (form.txtFile().text() != path || Access::length(form.txt()) == 0)
        return fail(QStringLiteral("the document is not shown after Open"));
    bench::report("open_ms", painted - start);
    bench::report("open_longest_stall_ms", longestStallMs);
    bench::report("rss_before_kb", double(rssBefore));
    bench::report("hwm_kb", double(bench::statusKb("VmHWM")));
    return 0;
}

int saveFile(frmMain &form, FakePlatform &platform, double capMs)
{
    platform.messageBoxes.questions.clear();
    const double start = bench::nowMs();
    {
        const bench::Watchdog watchdog("save", capMs);
        if (!runFileCommand(form, MenuDesign::FileSave))
            return fail(QStringLiteral("Save did not run"));
    }
    const double saveMs = bench::nowMs() - start;
    if (!platform.messageBoxes.warnings.isEmpty() || !platform.messageBoxes.questions.isEmpty())
        return fail(QStringLiteral("Save asked or warned"));
    bench::report("save_ms", saveMs);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // As Tavlo's own main does.
    returnLargeBlocksToSystem();
    bench::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavlo"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QApplication::arguments();
    const QString mode = args.value(1);
    const QString path = args.value(2);
    const double capMs =
        option(args, QStringLiteral("--cap"), QStringLiteral("20")).toDouble() * 1000;
    if ((mode != QLatin1String("open") && mode != QLatin1String("type")) || path.isEmpty() ||
        capMs <= 0)
        return fail(QStringLiteral("usage: open FILE [--resize] [--save] [--cap S] | type FILE "
                                   "[--presses N] [--cap S]"));

    FakePlatform platform;
    frmMain form(platform.services());
    form.Form_Load();
    form.show();
    form.activateWindow();
    if (!bench::waitExposed(form))
        return fail(QStringLiteral("the main window was never exposed"));
    bench::paintNow(form);
    bench::waitIdle(app);

    if (const int failed = openFile(app, form, platform, path, capMs))
        return failed;

    if (mode == QLatin1String("type")) {
        const int presses = option(args, QStringLiteral("--presses"), QStringLiteral("20")).toInt();
        const QString failed = bench::typingSession(app, form.txt(), form, presses, capMs);
        return failed.isEmpty() ? 0 : fail(failed);
    }
    if (args.contains(QStringLiteral("--resize"))) {
        const bench::Watchdog watchdog("resize", capMs);
        if (!bench::timeResizes(form, form.txt(), 5, capMs))
            return fail(QStringLiteral("the text box never took the window's new width"));
    }
    if (args.contains(QStringLiteral("--save")))
        return saveFile(form, platform, capMs);
    return 0;
}
