#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures Tavlo beside floors that are measured in the same run, on a private X desktop (Xvfb,
# fluxbox and its system tray, as the end-to-end tests use), and prints one table. Builds what it
# needs in Release first.
#
#   bench/run.sh [--quick] [--runs N] [--idle SECONDS]
#
#   start-up   exec to the first mapped top-level window (tavlo_waitmap, from X events), Tavlo
#              and tavlo_floor (a bare QPlainTextEdit window of the same inner size and a tray
#              icon); 5 times as many samples as the other figures, as they are short and noisy
#   idle       RSS and PSS 2 s after the window is mapped; CPU time over an idle period, shown,
#              and for Tavlo also hidden in the tray through File > Hide
#   documents  open and save of 1, 10, 50 and 100 MiB files (ASCII words with CR LF, accented
#              UTF-8 words with LF) through Tavlo's own main window and File menu, with scripted
#              file dialogs (tavlo_bench_driver): the open until the text is painted and the event
#              loop idle, its longest event-loop stall and its peak RSS growth; with the largest
#              file, 5 changes of the window's width, each until painted; the save until it has
#              ended. Floors: read+decode, write+fsync, the file's size, each in a fresh process
#   typing     each until the text box is painted: 20 key presses at the start of the text,
#              Ctrl+End from the start (3 times, the first one cold; also until the event loop
#              is idle), 20 key presses at the end, 5 clicks in the middle of the rows on screen
#              (deep in the text), then back at the start with the caret on the bottom row in
#              view, 20 presses of Down and 20 of Enter that each scroll the view (a press that
#              does not, as some in a QPlainTextEdit that scrolls by whole wrapped lines, is not
#              counted); in a 10 MiB document and in documents of one line without spaces of
#              32 KiB and 1 MiB (there the rows are the wrapped rows of that line)
#
# Beside each figure where it applies (open, memory, resize, typing), the same measurement on a
# bare QPlainTextEdit program, for reference ("QPTE"; tavlo_bench_floors bare and bare-type).
#
# --quick: 2 runs instead of 5, 5 s idle periods instead of 30, only 1 and 10 MiB documents (the
# resize with 10 MiB loaded), and a cap of 5 s instead of 20 s on each typing phase. The goals
# are printed beside the figures; the exit code says only whether every figure could be
# measured, not whether the goals are met. The machine's load is printed too: figures taken on a
# busy machine are noisy. Every step has a cap, so that a hang cannot stall the run: 60 s for each
# open, resize series and save of a document, 20 s for each typing phase (Ctrl+End: 40 s).
#
# TAVLO_BENCH_BUILD_DIR (default build-bench) and TAVLO_BENCH_DATA_DIR (default the build dir's
# bench-data; it must be on a real disk for fsync to mean anything) can be set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; }

quick=0
runs=""
idle=""
while [ $# -gt 0 ]; do
    case $1 in
    --quick) quick=1 ;;
    --runs) runs=$2; shift ;;
    --idle) idle=$2; shift ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
    shift
done

build=${TAVLO_BENCH_BUILD_DIR:-$root/build-bench}
data=${TAVLO_BENCH_DATA_DIR:-$build/bench-data}
if [ "$quick" = 1 ]; then
    runs=${runs:-2} idle=${idle:-5} sizes="1 10" typing_cap=5
else
    runs=${runs:-5} idle=${idle:-30} sizes="1 10 50 100" typing_cap=20
fi
mkdir -p "$build" "$data"

echo "Building (Release) in $build ..." >&2
build_start=$SECONDS
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release &&
    cmake --build "$build" -j"$(nproc)" --target tavlo tavlo_floor tavlo_waitmap \
        tavlo_bench_driver tavlo_bench_floors tavlo_bench_gen; } >"$build/bench-build.log" 2>&1; then
    tail -n 40 "$build/bench-build.log" >&2
    echo "bench: the build failed" >&2
    exit 1
fi
echo "Built in $((SECONDS - build_start)) s." >&2

results=$(mktemp)
log="$build/bench-programs.log"
: >"$log"
trap 'rm -f "$results"' EXIT

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
measure_start=$SECONDS
echo "Measuring ($runs runs each; program messages in $log) ..." >&2
status=0
BENCH_BUILD="$build" BENCH_DATA="$data" BENCH_RESULTS="$results" BENCH_LOG="$log" \
    BENCH_RUNS="$runs" BENCH_IDLE="$idle" BENCH_SIZES="$sizes" BENCH_LONGLINES="32768 1048576" \
    BENCH_CAP="$typing_cap" BENCH_FILE_CAP=60 \
    "$root/tests/e2e/with-desktop.sh" "$root/bench/measure.sh" || status=$?
elapsed=$((SECONDS - measure_start))

echo
echo "Tavlo $(sed -n 's/^project(tavlo VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt") benchmark$([ "$quick" = 1 ] && echo ' (--quick)'):" \
    "$runs runs each, idle period ${idle} s, measured in ${elapsed} s on $(nproc) cores;" \
    "load average before ${load_before}, after $(cut -d' ' -f1-3 /proc/loadavg)"
echo
awk -f "$root/bench/table.awk" "$results"
echo
echo "Times in ms, memory in MiB; min, median and max over the runs (resize and typing: over the"
echo "samples of one process each); ratio = the median / the floor's median. QPTE: a bare"
echo "QPlainTextEdit program measured the same way, for reference; n/a where that does not apply."
echo "A '> N s' run was stopped at its cap; 'cut': never reached, as the program was stopped at"
echo "the cap of an earlier step. RSS growth: the floor column shows the file size."
echo "CPU time is counted in clock ticks of $((1000 / $(getconf CLK_TCK))) ms."
if [ "$status" -ne 0 ]; then
    echo "bench: some figures could not be measured; see the messages above and $log" >&2
fi
exit "$status"
