// SPDX-License-Identifier: GPL-3.0-or-later
// The floors of the document figures, and the same measurements on a bare QPlainTextEdit for
// reference; each run in a fresh process:
//
//   tavlo_bench_floors read FILE    read the bytes and decode them as UTF-8 into a fresh QString
//   tavlo_bench_floors write FILE   write the file's own bytes over it and fsync (the bytes are
//                                   read into memory first, untimed)
//   tavlo_bench_floors safe-write FILE
//       the same bytes into a new file beside it, fsync, rename over FILE, fsync the folder: the
//       least that a save which survives a crash at any moment has to do
//   tavlo_bench_floors bare FILE [--resize] [--cap S]
//       a plain QPlainTextEdit on the screen: read, decode, turn CR LF into LF, setPlainText,
//       paint and wait until the event loop is idle (the whole naive open path); with --resize,
//       then the window's width changes as tavlo_bench_driver's do
//   tavlo_bench_floors bare-type FILE [--presses N] [--cap S]
//       the same open, then tavlo_bench_driver's typing session (EditorActions.h)
//
// Prints key=value lines: the times in ms, the resident set before the open and its peak
// (VmHWM) in kB. A phase of the bare editor that outlasts the cap (20 s unless given) ends the
// program with "timeout=PHASE" and exit code 3.
#include "BenchSupport.h"
#include "EditorActions.h"

#include <QApplication>
#include <QByteArray>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool readAll(const char *path, QByteArray &bytes)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status = {};
    if (::fstat(fd, &status) != 0) {
        ::close(fd);
        return false;
    }
    bytes.resize(qsizetype(status.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    return done == bytes.size();
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done == bytes.size();
}

bool writeAllAndSync(const char *path, const QByteArray &bytes)
{
    const int fd = ::open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced && written;
}

bool writeNewAndRename(const char *path, const QByteArray &bytes)
{
    const QByteArray temporary = QByteArray(path) + ".floor-new";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0 && ::close(fd) == 0;
    if (!written || ::rename(temporary.constData(), path) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    const QByteArray folder = QFileInfo(QString::fromLocal8Bit(path)).absolutePath().toLocal8Bit();
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = folderFd >= 0 && ::fsync(folderFd) == 0;
    if (folderFd >= 0)
        ::close(folderFd);
    return synced;
}

// CR LF becomes LF in one pass; QString::replace moves the tail once per line end.
void dropCarriageReturns(QString &text)
{
    QChar *const begin = text.data();
    const QChar *const end = begin + text.size();
    QChar *out = begin;
    for (const QChar *in = begin; in != end; ++in) {
        if (!(*in == u'\r' && in + 1 != end && in[1] == u'\n'))
            *out++ = *in;
    }
    text.truncate(out - begin);
}

int fail(const char *what, const char *path)
{
    fprintf(stderr, "tavlo_bench_floors: cannot %s %s: %s\n", what, path, strerror(errno));
    return 1;
}

QString option(const QStringList &args, const QString &name, const QString &fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 ? args.value(at + 1, fallback) : fallback;
}

// The naive open path on a bare editor, until the text is on screen and the event loop is idle.
int openBare(bench::Application &app, QPlainTextEdit &editor, const char *path, double capMs)
{
    const long rssBefore = bench::statusKb("VmRSS");
    const double start = bench::nowMs();
    double painted = 0;
    {
        const bench::Watchdog watchdog("open", capMs);
        QByteArray bytes;
        if (!readAll(path, bytes))
            return fail("read", path);
        QString text = QString::fromUtf8(bytes);
        bytes.clear();
        dropCarriageReturns(text);
        editor.setPlainText(text);
        text.clear();
        bench::paintNow(editor);
        painted = bench::nowMs();
        painted = std::max(painted, bench::waitIdle(app).value_or(bench::nowMs()));
    }
    if (editor.document()->isEmpty())
        return fail("show", path);
    bench::report("bare_ms", painted - start);
    bench::report("rss_before_kb", double(rssBefore));
    bench::report("hwm_kb", double(bench::statusKb("VmHWM")));
    return 0;
}

int runBare(int argc, char *argv[], bool typing)
{
    bench::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavlo_bench_bare"));
    const QStringList args = QApplication::arguments();
    const double capMs =
        option(args, QStringLiteral("--cap"), QStringLiteral("20")).toDouble() * 1000;
    QPlainTextEdit editor;
    editor.resize(281, 201);
    editor.show();
    if (!bench::waitExposed(editor)) {
        fprintf(stderr, "tavlo_bench_floors: the editor window was never exposed\n");
        return 1;
    }
    bench::paintNow(editor);
    bench::waitIdle(app);

    if (const int failed = openBare(app, editor, argv[2], capMs))
        return failed;
    if (typing) {
        const int presses = option(args, QStringLiteral("--presses"), QStringLiteral("20")).toInt();
        const QString failed = bench::typingSession(app, editor, editor, presses, capMs);
        if (!failed.isEmpty())
            fprintf(stderr, "tavlo_bench_floors: %s\n", qPrintable(failed));
        return failed.isEmpty() ? 0 : 1;
    }
    if (args.contains(QStringLiteral("--resize"))) {
        const bench::Watchdog watchdog("resize", capMs);
        if (!bench::timeResizes(editor, editor, 5, capMs)) {
            fprintf(stderr, "tavlo_bench_floors: the editor never took its new width\n");
            return 1;
        }
    }
    return 0;
}

// Reads the file's bytes (untimed), then times writing them back with write.
int timeWrite(const char *path, bool (*write)(const char *, const QByteArray &), const char *what,
              const char *figure)
{
    QByteArray bytes;
    if (!readAll(path, bytes))
        return fail("read", path);
    const double start = bench::nowMs();
    if (!write(path, bytes))
        return fail(what, path);
    bench::report(figure, bench::nowMs() - start);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        fprintf(stderr,
                "usage: tavlo_bench_floors read|write|safe-write FILE | bare FILE [--resize] "
                "[--cap S] | bare-type FILE [--presses N] [--cap S]\n");
        return 2;
    }
    const QByteArray mode = argv[1];
    const char *const path = argv[2];

    if (mode == "read") {
        const double start = bench::nowMs();
        QByteArray bytes;
        if (!readAll(path, bytes))
            return fail("read", path);
        const QString text = QString::fromUtf8(bytes);
        const double elapsed = bench::nowMs() - start;
        if (text.isEmpty())
            return fail("decode", path);
        bench::report("read_ms", elapsed);
        bench::report("hwm_kb", double(bench::statusKb("VmHWM")));
        return 0;
    }
    if (mode == "write")
        return timeWrite(path, writeAllAndSync, "write", "write_ms");
    if (mode == "safe-write")
        return timeWrite(path, writeNewAndRename, "safe-write", "safe_write_ms");
    if (mode == "bare" || mode == "bare-type")
        return runBare(argc, argv, mode == "bare-type");
    fprintf(stderr, "tavlo_bench_floors: unknown mode %s\n", mode.constData());
    return 2;
}
