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
# value; zero: every value 0; none), goal value, and whether the bare QPlainTextEdit is measured
# for reference (ref or noref).
meta() { printf 'meta\t%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$results"; }
# A value: figure id, role (floor, tavlo or ref), number, "timeout:SECONDS" (stopped at the cap)
# or "cut" (not reached: the program was stopped at a cap before it got there).
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

meta startup "start-up: exec to mapped window" ms ratio 1.1 noref
meta rss "idle RSS, 2 s after mapped" MiB ratio 1.05 noref
meta pss "idle PSS, 2 s after mapped" MiB none 0 noref
meta cpushown "idle CPU over ${idle} s, shown" ms none 0 noref
meta cpuhidden "idle CPU over ${idle} s, hidden (no floor)" ms zero 0 noref

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
# Records every value of a key (a program prints some keys once per sample).
record_all() {
    local id=$1 role=$2 key=$3 ms
    for ms in $(sed -n "s/^$key=//p" "$work/out"); do record "$id" "$role" "$ms"; done
}
# The phase a program was stopped in at its cap ("timeout=PHASE"), if any.
cut_phase() { value timeout; }

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

# The figures of one open: Tavlo's (open [--resize] --save, in one process) or the bare
# editor's (bare [--resize]). Sets cut_open when the open itself outlasted the cap, so that the
# other runs are spared: longer than the cap once is longer every time.
open_figures() {
    local who=$1 id=$2 file=$3 bytes=$4 resize=$5 status=0 phase
    if [ "$who" = tavlo ]; then
        measure $((3 * file_cap + 15)) "$bin/tavlo_bench_driver" open "$file" $resize --save \
            --cap "$file_cap" || status=$?
    else
        measure $((2 * file_cap + 15)) "$bin/tavlo_bench_floors" bare "$file" $resize \
            --cap "$file_cap" || status=$?
    fi
    if [ "$status" -eq 1 ]; then
        problem "the open by $who of $file failed"
        return
    fi
    phase=$(cut_phase)
    if [ "$status" -ne 0 ] && [ -z "$phase" ]; then phase=open; fi
    if [ "$phase" = open ]; then
        cut_open="timeout:$file_cap"
        record "open-$id" "$who" "$cut_open"
        record "grow-$id" "$who" cut
        [ -n "$resize" ] && record "resize-$id" "$who" cut
        [ "$who" = tavlo ] && record "stall-$id" tavlo cut && record "save-$id" tavlo cut
        return
    fi
    record "open-$id" "$who" "$(value "$([ "$who" = tavlo ] && echo open_ms || echo bare_ms)")"
    record "grow-$id" "$who" "$(kb_to_mb "$(value hwm_kb)" "$(value rss_before_kb)")"
    if [ -n "$resize" ]; then
        record_all "resize-$id" "$who" resize_ms
        [ "$phase" = resize ] && record "resize-$id" "$who" "timeout:$file_cap"
    fi
    [ "$who" = tavlo ] || return 0
    record "stall-$id" tavlo "$(value open_longest_stall_ms)"
    case $phase in
    "") record "save-$id" tavlo "$(value save_ms)"
        record "safesave-$id" tavlo "$(value save_ms)" ;;
    save) record "save-$id" tavlo "timeout:$file_cap" ;;
    *) record "save-$id" tavlo cut ;;
    esac
}

resize_size=${BENCH_SIZES##* }
for size in $BENCH_SIZES; do
    bytes=$((size * 1048576))
    resize=""
    [ "$size" = "$resize_size" ] && resize=--resize
    for kind in ascii accented; do
        if [ "$kind" = ascii ]; then name="$size MiB ASCII CRLF"; else name="$size MiB accented UTF-8"; fi
        id="$kind-$size"
        file=$(document "$kind" "$bytes")
        open_goal=none save_goal=none resize_goal=none
        [ "$size" -eq 10 ] || [ "$size" -eq 100 ] && open_goal=ratio
        [ "$size" -eq 100 ] && save_goal=ratio resize_goal=max
        meta "open-$id" "open $name: painted / read+decode" ms "$open_goal" 3 ref
        meta "stall-$id" "open $name: longest event-loop stall" ms max 100 noref
        meta "grow-$id" "open $name: RSS growth / file size" MiB ratio 3.5 ref
        record "grow-$id" floor "$(mib "$bytes")"
        [ -n "$resize" ] && meta "resize-$id" "resize, $name open: to painted" ms "$resize_goal" 50 ref
        meta "save-$id" "save $name: on disk / write+fsync" ms "$save_goal" 1.5 noref
        # For reading the one above: what any save that survives a crash must do at least.
        meta "safesave-$id" "save $name: on disk / new file+rename" ms none 0 noref
        tavlo_cut="" ref_cut=""
        for run in $(seq "$runs"); do
            progress "documents, $name, run $run/$runs"
            if measure "$file_cap" "$bin/tavlo_bench_floors" read "$file"; then
                record "open-$id" floor "$(value read_ms)"
            else
                problem "read+decode of $file failed"
            fi
            if [ -n "$tavlo_cut" ]; then
                record "open-$id" tavlo "$tavlo_cut"
            else
                cut_open=""
                open_figures tavlo "$id" "$file" "$bytes" "$resize"
                tavlo_cut=$cut_open
                if ! unchanged "$file"; then
                    problem "Tavlo's save changed $file"
                    rm -f "$file.md5"
                    file=$(document "$kind" "$bytes")
                fi
            fi
            if [ -n "$ref_cut" ]; then
                record "open-$id" ref "$ref_cut"
            else
                cut_open=""
                open_figures ref "$id" "$file" "$bytes" "$resize"
                ref_cut=$cut_open
            fi
            if measure "$file_cap" "$bin/tavlo_bench_floors" write "$file"; then
                record "save-$id" floor "$(value write_ms)"
            else
                problem "write+fsync of $file failed"
            fi
            if measure "$file_cap" "$bin/tavlo_bench_floors" safe-write "$file"; then
                record "safesave-$id" floor "$(value safe_write_ms)"
            else
                problem "new file+rename of $file failed"
            fi
        done
    done
done

# --- Typing ----------------------------------------------------------------------------------

# One typing session (tavlo_bench_driver type or tavlo_bench_floors bare-type) in a fresh
# process. Its phases run in order, each within the cap (Ctrl+End within twice the cap: three
# rounds, each waiting for the event loop to be idle), with a wait of up to a quarter of the cap
# for the event loop to be idle before each.
typing_phases="open start ctrl_end end click down_bottom enter_bottom"
typing() {
    local who=$1 id=$2 file=$3 status=0 phase cut=""
    local limit=$((9 * cap + 15)) seconds
    if [ "$who" = tavlo ]; then
        measure "$limit" "$bin/tavlo_bench_driver" type "$file" --cap "$cap" || status=$?
    else
        measure "$limit" "$bin/tavlo_bench_floors" bare-type "$file" --cap "$cap" || status=$?
    fi
    if [ "$status" -eq 1 ]; then
        problem "the typing session of $who in $file failed"
        return
    fi
    cut=$(cut_phase)
    if [ "$status" -ne 0 ] && [ -z "$cut" ]; then cut=open; fi
    [ "$id" = big ] || record "typeopen-$id" "$who" \
        "$(value "$([ "$who" = tavlo ] && echo open_ms || echo bare_ms)")"
    record_all "keystart-$id" "$who" key_start_ms
    record_all "ctrlend-$id" "$who" ctrl_end_ms
    record_all "ctrlidle-$id" "$who" ctrl_end_idle_ms
    for seconds in $(sed -n 's/^ctrl_end_idle_cut_s=//p' "$work/out"); do
        record "ctrlidle-$id" "$who" "timeout:$(awk -v s="$seconds" 'BEGIN { printf "%g", s }')"
    done
    record_all "keyend-$id" "$who" key_end_ms
    record_all "click-$id" "$who" click_ms
    record_all "downbottom-$id" "$who" down_bottom_ms
    record_all "enterbottom-$id" "$who" enter_bottom_ms
    [ -n "$cut" ] || return 0
    # The phase at its cap is a measurement ("> cap"); the later ones were never reached.
    local reached="" figures value
    for phase in $typing_phases; do
        if [ "$phase" = "$cut" ]; then
            reached=$([ "$phase" = ctrl_end ] && echo "timeout:$((2 * cap))" || echo "timeout:$cap")
        fi
        [ -n "$reached" ] || continue
        case $phase in
        open) figures="typeopen" ;;
        start) figures="keystart" ;;
        ctrl_end) figures="ctrlend ctrlidle" ;;
        end) figures="keyend" ;;
        click) figures="click" ;;
        down_bottom) figures="downbottom" ;;
        enter_bottom) figures="enterbottom" ;;
        esac
        for figure in $figures; do
            [ "$figure-$id" = typeopen-big ] || record "$figure-$id" "$who" "$reached"
        done
        reached=cut
    done
}

typing_file() {
    local id=$1 label=$2 file=$3
    [ "$id" = big ] || meta "typeopen-$id" "open $label: painted (no floor)" ms none 0 ref
    meta "keystart-$id" "key press to paint, $label, at start" ms max 4 ref
    meta "ctrlend-$id" "Ctrl+End to paint, $label" ms max 50 ref
    meta "ctrlidle-$id" "Ctrl+End to idle, $label" ms none 0 ref
    meta "keyend-$id" "key press to paint, $label, at end" ms max 4 ref
    meta "click-$id" "click deep in the text to paint, $label" ms max 50 ref
    meta "downbottom-$id" "Down on the bottom row to paint, $label" ms max 4 ref
    meta "enterbottom-$id" "Enter on the bottom row to paint, $label" ms max 4 ref
    for who in tavlo ref; do
        progress "typing: $label, $who"
        typing "$who" "$id" "$file"
    done
}

typing_file big "10 MiB" "$(document ascii $((10 * 1048576)))"
for bytes in $BENCH_LONGLINES; do
    if [ "$bytes" -ge 1048576 ]; then size="$((bytes / 1048576)) MiB"; else size="$((bytes / 1024)) KiB"; fi
    typing_file "line-$bytes" "$size line" "$(document longline "$bytes")"
done

[ "$failures" -eq 0 ]
