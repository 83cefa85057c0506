#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The measurements of bench/run.sh, made on the private desktop it starts; see run.sh. Appends
# "meta" and "value" lines to $BENCH_RESULTS and exits non-zero when a figure could not be
# measured. A figure that outlasts its cap is a measurement ("> cap"), not a failure.
set -euo pipefail

bin="$BENCH_BUILD/bench"
tavlo="$BENCH_BUILD/src/tavlo"
results="$BENCH_RESULTS"
log="$BENCH_LOG"
runs="$BENCH_RUNS"
idle="$BENCH_IDLE"
cap="$BENCH_CAP"
file_cap="$BENCH_FILE_CAP"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

failures=0
problem() {
    echo "bench: $*" >&2
    echo "bench: $*" >>"$log"
    failures=$((failures + 1))
}
# A figure: id, label, unit, goal kind (ratio: median over the floor's median; max: largest
# value; zero: every value 0; none), goal value.
meta() { printf 'meta\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$results"; }
# A value: figure id, role (floor or tavlo), number or "timeout:SECONDS".
record() { printf 'value\t%s\t%s\t%s\n' "$@" >>"$results"; }
progress() { printf '  %s\n' "$*" >&2; }

wait_until() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# --- Start-up and idle -----------------------------------------------------------------------

ticks=$(getconf CLK_TCK)
cpu_ms() { awk -v hz="$ticks" '{ sub(/^.*\) /, ""); printf "%.0f", ($12 + $13) * 1000 / hz }' "/proc/$1/stat"; }
memory_mib() { awk '/^Rss:/ { r = $2 } /^Pss:/ { p = $2 } END { printf "%.1f %.1f", r / 1024, p / 1024 }' "/proc/$1/smaps_rollup"; }

# Starts a program through tavlo_waitmap and leaves it running. Sets started_pid, started_window,
# started_ms and waitmap_pid.
start_program() {
    local fifo="$work/map"
    rm -f "$fifo"
    mkfifo "$fifo"
    "$bin/tavlo_waitmap" --keep --timeout 30 -- "$@" >"$fifo" 2>>"$log" &
    waitmap_pid=$!
    local line=""
    read -r line <"$fifo" || true
    if [[ $line =~ pid=([0-9]+)\ window=(0x[0-9a-f]+)\ ms=([0-9.]+) ]]; then
        started_pid=${BASH_REMATCH[1]}
        started_window=${BASH_REMATCH[2]}
        started_ms=${BASH_REMATCH[3]}
        return 0
    fi
    wait "$waitmap_pid" || true
    return 1
}
stop_program() {
    kill "$waitmap_pid" 2>/dev/null || true
    wait "$waitmap_pid" 2>/dev/null || true
}

visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l || true; }
more_windows_than() { [ "$(visible_windows "$1")" -gt "$2" ]; }
is_unmapped() { xwininfo -id "$1" 2>/dev/null | grep -q IsUnMapped; }

# File menu > Hide, as a person does it: a click on the corner picture, 8 px inside the client
# area's bottom-right corner, then the item's access key.
hide_tavlo() {
    local pid=$1 window=$2 x y w h before
    read -r x y w h < <(xwininfo -id "$window" | awk '
        /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }')
    before=$(visible_windows "$pid")
    xdotool mousemove $((x + w - 1 - 8)) $((y + h - 1 - 8)) click 1
    wait_until 5 more_windows_than "$pid" "$before" || return 1
    xdotool key h
    wait_until 5 is_unmapped "$window"
}

meta startup "start-up: exec to mapped window" ms ratio 1.1
meta rss "idle RSS, 2 s after mapped" MiB ratio 1.05
meta pss "idle PSS, 2 s after mapped" MiB none 0
meta cpushown "idle CPU over ${idle} s, shown" ms none 0
meta cpuhidden "idle CPU over ${idle} s, hidden (no floor)" ms zero 0

idle_run() {
    local who=$1 memory
    if [ "$who" = floor ]; then
        start_program "$bin/tavlo_floor" || { problem "the floor never showed its window"; return; }
    else
        start_program "$tavlo" || { problem "tavlo never showed its window"; return; }
    fi
    record startup "$who" "$started_ms"
    sleep 2
    memory=$(memory_mib "$started_pid")
    record rss "$who" "${memory% *}"
    record pss "$who" "${memory#* }"
    local before
    before=$(cpu_ms "$started_pid")
    sleep "$idle"
    record cpushown "$who" $(($(cpu_ms "$started_pid") - before))
    if [ "$who" = tavlo ]; then
        if hide_tavlo "$started_pid" "$started_window"; then
            sleep 1
            before=$(cpu_ms "$started_pid")
            sleep "$idle"
            record cpuhidden tavlo $(($(cpu_ms "$started_pid") - before))
        else
            problem "tavlo could not be hidden through its File menu"
        fi
    fi
    stop_program
}

for run in $(seq "$runs"); do
    # Alternating who goes first spreads what a busy machine does over both.
    if [ $((run % 2)) -eq 1 ]; then order="floor tavlo"; else order="tavlo floor"; fi
    for who in $order; do
        progress "start-up and idle, run $run/$runs: $who"
        idle_run "$who"
    done
done

# A start-up is short and noisy on a busy machine, and costs little more than itself: it gets
# more samples than the other figures, again alternating who goes first.
startup_only() {
    local line
    if line=$("$bin/tavlo_waitmap" --timeout 30 -- "$2" 2>>"$log") && [[ $line =~ ms=([0-9.]+) ]]; then
        record startup "$1" "${BASH_REMATCH[1]}"
    else
        problem "$1 never showed its window"
    fi
}
progress "start-up only, $((4 * runs)) runs"
for run in $(seq $((4 * runs))); do
    if [ $((run % 2)) -eq 1 ]; then
        startup_only floor "$bin/tavlo_floor"
        startup_only tavlo "$tavlo"
    else
        startup_only tavlo "$tavlo"
        startup_only floor "$bin/tavlo_floor"
    fi
done

# --- Documents -------------------------------------------------------------------------------

# Runs a measuring program with a time limit; its key=value lines land in $work/out. Returns 0
# when it ran, 3 when it outlasted the limit, 1 when it failed.
measure() {
    local limit=$1 status=0
    shift
    timeout -k 5 "$limit" "$@" >"$work/out" 2>>"$log" || status=$?
    case $status in
    0) return 0 ;;
    3 | 124 | 137) return 3 ;;
    *) return 1 ;;
    esac
}
value() { sed -n "s/^$1=//p" "$work/out" | head -n1; }

# A document of the given kind and size in bytes, made once and kept between runs.
document() {
    local kind=$1 bytes=$2 file="$BENCH_DATA/$1-$2.txt"
    if [ "$(stat -c %s "$file" 2>/dev/null || true)" != "$bytes" ] || [ ! -s "$file.md5" ]; then
        "$bin/tavlo_bench_gen" "$kind" "$bytes" "$file"
        md5sum <"$file" >"$file.md5"
    fi
    echo "$file"
}
unchanged() { [ "$(md5sum <"$1")" = "$(cat "$1.md5")" ]; }

mib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
# kB to MiB; with a second argument, of the difference.
kb_to_mb() { awk -v k="$1" -v base="${2:-0}" 'BEGIN { printf "%.1f", (k - base) / 1024 }'; }

# Tavlo opens and saves the document in one process; records every figure it got that far.
tavlo_document() {
    local id=$1 file=$2 bytes=$3 status=0 open_ms
    measure $((2 * file_cap + 15)) "$bin/tavlo_bench_driver" open "$file" --save --cap "$file_cap" || status=$?
    if [ "$status" -eq 1 ]; then
        problem "Tavlo's open or save of $file failed"
        return
    fi
    open_ms=$(value open_ms)
    if [ -z "$open_ms" ]; then
        # Longer than the cap once is longer every time: the other runs are spared.
        tavlo_out="timeout:$file_cap"
        record "open-$id" tavlo "$tavlo_out"
        record "bare-$id" tavlo "$tavlo_out"
        return
    fi
    record "open-$id" tavlo "$open_ms"
    record "bare-$id" tavlo "$open_ms"
    record "first-$id" tavlo "$(value open_first_text_ms)"
    record "stall-$id" tavlo "$(value open_longest_stall_ms)"
    record "peak-$id" floor "$(mib "$bytes")"
    record "peak-$id" tavlo "$(kb_to_mb "$(value hwm_kb)")"
    record "grow-$id" floor "$(mib "$bytes")"
    record "grow-$id" tavlo "$(kb_to_mb "$(value hwm_kb)" "$(value rss_before_kb)")"
    if [ "$status" -eq 0 ]; then
        record "save-$id" tavlo "$(value save_ms)"
    else
        record "save-$id" tavlo "timeout:$file_cap"
    fi
}

for size in $BENCH_SIZES; do
    bytes=$((size * 1048576))
    for kind in ascii accented; do
        if [ "$kind" = ascii ]; then name="$size MiB ASCII CRLF"; else name="$size MiB accented UTF-8"; fi
        id="$kind-$size"
        file=$(document "$kind" "$bytes")
        open_goal=none bare_goal=none save_goal=none
        [ "$size" -eq 10 ] && open_goal=ratio
        [ "$size" -eq 100 ] && bare_goal=ratio && save_goal=ratio
        meta "open-$id" "open $name: painted / read+decode" ms "$open_goal" 3
        meta "bare-$id" "open $name: painted / bare widget" ms "$bare_goal" 0.6
        meta "first-$id" "open $name: first text in (no floor)" ms none 0
        meta "stall-$id" "open $name: longest event-loop stall" ms max 100
        meta "peak-$id" "open $name: peak RSS / file size" MiB ratio 6
        meta "grow-$id" "open $name: RSS growth / file size" MiB ratio 6
        meta "save-$id" "save $name: on disk / write+fsync" ms "$save_goal" 1.5
        tavlo_out="" bare_out=""
        for run in $(seq "$runs"); do
            progress "documents, $name, run $run/$runs"
            if measure "$file_cap" "$bin/tavlo_bench_floors" read "$file"; then
                record "open-$id" floor "$(value read_ms)"
            else
                problem "read+decode of $file failed"
            fi
            if [ -n "$tavlo_out" ]; then
                record "open-$id" tavlo "$tavlo_out"
                record "bare-$id" tavlo "$tavlo_out"
            else
                tavlo_document "$id" "$file" "$bytes"
                if ! unchanged "$file"; then
                    problem "Tavlo's save changed $file"
                    rm -f "$file.md5"
                    file=$(document "$kind" "$bytes")
                fi
            fi
            if [ -n "$bare_out" ]; then
                record "bare-$id" floor "$bare_out"
            elif measure "$file_cap" "$bin/tavlo_bench_floors" bare "$file"; then
                record "bare-$id" floor "$(value bare_ms)"
            elif [ $? -eq 3 ]; then
                bare_out="timeout:$file_cap"
                record "bare-$id" floor "$bare_out"
            else
                problem "the bare widget failed on $file"
            fi
            if measure "$file_cap" "$bin/tavlo_bench_floors" write "$file"; then
                record "save-$id" floor "$(value write_ms)"
            else
                problem "write+fsync of $file failed"
            fi
        done
    done
done

# --- Typing ----------------------------------------------------------------------------------

typing() {
    local id=$1 label=$2 file=$3 at=$4 status=0
    meta "key-$id" "$label" ms max 50
    progress "typing: $label"
    measure $((2 * cap + 15)) "$bin/tavlo_bench_driver" type "$file" --at "$at" --cap "$cap" || status=$?
    if [ "$status" -eq 1 ]; then
        problem "typing into $file failed"
        return
    fi
    local open_ms
    open_ms=$(value open_ms)
    if [ -n "${open_ms_figure:-}" ]; then
        record "$open_ms_figure" tavlo "${open_ms:-timeout:$cap}"
    fi
    sed -n 's/^key_ms=//p' "$work/out" | while read -r ms; do record "key-$id" tavlo "$ms"; done
    # Cut off by the cap: while opening, or during the presses.
    [ "$status" -eq 3 ] && record "key-$id" tavlo "timeout:$cap"
    return 0
}

big=$(document ascii $((10 * 1048576)))
open_ms_figure=""
typing start10 "key press to paint, 10 MiB, at start" "$big" start
typing end10 "key press to paint, 10 MiB, at end" "$big" end
for bytes in $BENCH_LONGLINES; do
    line=$(document longline "$bytes")
    label="one line of $((bytes - 1)) characters"
    open_ms_figure="lineopen-$bytes"
    meta "$open_ms_figure" "open $label: painted (no floor)" ms none 0
    typing "linestart-$bytes" "key press to paint, $label, at start" "$line" start
    typing "lineend-$bytes" "key press to paint, $label, at end" "$line" end
done

[ "$failures" -eq 0 ]
