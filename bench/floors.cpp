// SPDX-License-Identifier: GPL-3.0-or-later
// The floors of the document figures, each run in a fresh process:
//
//   tavlo_bench_floors read FILE    read the bytes and decode them as UTF-8 into a fresh QString
//   tavlo_bench_floors write FILE   write the file's own bytes over it and fsync (the bytes are
//                                   read into memory first, untimed)
//   tavlo_bench_floors bare FILE    a plain QPlainTextEdit on the screen: read, decode, turn
//                                   CR LF into LF, setPlainText and paint (the whole naive open
//                                   path; bare_show_ms is the setPlainText and paint alone)
//
// Prints key=value lines: the time in ms, and the peak resident set (VmHWM) in kB.
#include "BenchSupport.h"

#include <QApplication>
#include <QByteArray>
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

bool writeAllAndSync(const char *path, const QByteArray &bytes)
{
    const int fd = ::open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced && done == bytes.size();
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

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        fprintf(stderr, "usage: tavlo_bench_floors read|write|bare FILE\n");
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
    if (mode == "write") {
        QByteArray bytes;
        if (!readAll(path, bytes))
            return fail("read", path);
        const double start = bench::nowMs();
        if (!writeAllAndSync(path, bytes))
            return fail("write", path);
        bench::report("write_ms", bench::nowMs() - start);
        return 0;
    }
    if (mode != "bare") {
        fprintf(stderr, "tavlo_bench_floors: unknown mode %s\n", mode.constData());
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavlo_bench_bare"));
    QPlainTextEdit editor;
    editor.resize(281, 201);
    editor.show();
    if (!bench::waitExposed(editor)) {
        fprintf(stderr, "tavlo_bench_floors: the editor window was never exposed\n");
        return 1;
    }
    bench::paintNow(editor);

    const double start = bench::nowMs();
    QByteArray bytes;
    if (!readAll(path, bytes))
        return fail("read", path);
    QString text = QString::fromUtf8(bytes);
    bytes.clear();
    dropCarriageReturns(text);
    const double decoded = bench::nowMs();
    editor.setPlainText(text);
    bench::paintNow(editor);
    const double end = bench::nowMs();
    if (editor.document()->isEmpty())
        return fail("show", path);
    bench::report("bare_ms", end - start);
    bench::report("bare_show_ms", end - decoded);
    bench::report("hwm_kb", double(bench::statusKb("VmHWM")));
    return 0;
}
