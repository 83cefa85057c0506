// SPDX-License-Identifier: GPL-3.0-or-later
// The text box's piece tree on a large text, in one process:
//
//   tavlo_bench_piecetree [MIB]    a text of MIB MiB of UTF-16 (default 200: a 100 MiB file of
//                                  ASCII), lines of 40 to 120 units ending in CR LF
//
// Prints key=value lines: building the tree, what it adds to the resident set, the mean of
// lineStart, lineAt and at over random lines and offsets, typing one character at a time in the
// middle, and the caret steps of the text box at random offsets and in a line of 1 MiB without
// spaces.
#include "BenchSupport.h"

#include "text/PieceTree.h"
#include "text/TextBoundaries.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

QString makeText(qsizetype units)
{
    QString text(units, u'x');
    QRandomGenerator random(7);
    for (qsizetype i = random.bounded(40, 120); i + 1 < units; i += random.bounded(40, 120)) {
        text[i] = u'\r';
        text[i + 1] = u'\n';
    }
    return text;
}

void reportEach(const char *key, const QElapsedTimer &timer, int count)
{
    bench::report(key, double(timer.nsecsElapsed()) / 1000.0 / count);
}

} // namespace

int main(int argc, char **argv)
{
    const qsizetype mebibytes = argc > 1 ? std::atoll(argv[1]) : 200;
    const QString text = makeText(mebibytes * 1024 * 1024 / 2);

    const long residentBefore = bench::statusKb("VmRSS");
    QElapsedTimer timer;
    timer.start();
    const PieceTree tree(text);
    bench::report("build_ms", double(timer.nsecsElapsed()) / 1e6);
    bench::report("tree_rss_kb", double(bench::statusKb("VmRSS") - residentBefore));
    bench::report("lines", double(tree.lineCount()));

    constexpr int Queries = 100000;
    QRandomGenerator random(11);
    qsizetype sum = 0;
    timer.restart();
    for (int i = 0; i < Queries; ++i)
        sum += tree.lineStart(random.bounded(tree.lineCount()));
    reportEach("lineStart_us", timer, Queries);
    timer.restart();
    for (int i = 0; i < Queries; ++i)
        sum += tree.lineAt(random.bounded(tree.length()));
    reportEach("lineAt_us", timer, Queries);
    timer.restart();
    for (int i = 0; i < Queries; ++i)
        sum += tree.at(random.bounded(tree.length())).unicode();
    reportEach("at_us", timer, Queries);

    constexpr int Typed = 10000;
    PieceTree edited = tree;
    const qsizetype middle = tree.lineStart(tree.lineCount() / 2);
    timer.restart();
    for (int i = 0; i < Typed; ++i)
        edited = edited.inserted(middle + i, u"a");
    reportEach("type_char_us", timer, Typed);
    if (edited.text(middle, Typed + 1) != QString(Typed, u'a') + text[middle])
        return 1;
    timer.restart();
    for (int i = 0; i < Queries; ++i)
        sum += edited.lineStart(random.bounded(edited.lineCount()));
    reportEach("lineStart_after_typing_us", timer, Queries);
    // A screenful of lines at a time, as painting asks, with the text already in the cache.
    const qsizetype firstLine = edited.lineCount() / 3;
    timer.restart();
    for (int i = 0; i < Queries; ++i)
        sum += edited.lineStart(firstLine + i % 50);
    reportEach("lineStart_screenful_us", timer, Queries);
    constexpr int Steps = 10000;
    const auto timeSteps = [&](const char *key, const PieceTree &in, auto step) {
        const TextBoundaries boundaries(in);
        timer.restart();
        for (int i = 0; i < Steps; ++i)
            sum += step(boundaries, random.bounded(in.length()));
        reportEach(key, timer, Steps);
    };
    timeSteps("nextCharacter_us", tree, std::mem_fn(&TextBoundaries::nextCharacter));
    timeSteps("nextWord_us", tree, std::mem_fn(&TextBoundaries::nextWord));
    timeSteps("previousWord_us", tree, std::mem_fn(&TextBoundaries::previousWord));
    const PieceTree longLine(QString(1024 * 1024, u'x'));
    timeSteps("nextCharacter_long_line_us", longLine, std::mem_fn(&TextBoundaries::nextCharacter));
    timeSteps("nextWord_long_line_us", longLine, std::mem_fn(&TextBoundaries::nextWord));
    timeSteps("wordAt_long_line_us", longLine,
              [](const TextBoundaries &in, qsizetype at) { return in.wordAt(at).first; });
    // Ctrl+Right from the start of a word of 1 MiB and Ctrl+Left from its end, each until the
    // caret is across the whole word, however many steps it takes.
    const TextBoundaries acrossWord(longLine);
    const auto timeAcross = [&](const char *key, qsizetype from, qsizetype to, auto step) {
        timer.restart();
        int steps = 0;
        for (qsizetype at = from; at != to; ++steps)
            at = step(acrossWord, at);
        std::printf("%s=%.3f\n", key, timer.nsecsElapsed() / 1e6);
        std::printf("%s_steps=%d\n", key, steps);
    };
    timeAcross("ctrl_right_1mib_word_ms", 0, longLine.length(),
               std::mem_fn(&TextBoundaries::nextWord));
    timeAcross("ctrl_left_1mib_word_ms", longLine.length(), 0,
               std::mem_fn(&TextBoundaries::previousWord));
    return sum == 42 ? 1 : 0;
}
