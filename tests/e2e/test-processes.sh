# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the wrappers that run a test: finds what the test started and left running. Every
# process started after mark_test_processes inherits TAVLO_TEST_RUN, unique to this run, whoever
# its parent is now: a bus daemon whose launcher died keeps it too. /proc/PID/environ holds the
# environment a process was started with, so the wrapper's shell and its subshells, started
# before the mark, never carry it, and the tests of another run carry another one.

# Returns false when a wrapper further out already marked the run; that one checks it then.
mark_test_processes() {
    [ -z "${TAVLO_TEST_RUN:-}" ] || return 1
    TAVLO_TEST_RUN="$$-$(date +%s%N)-$RANDOM"
    export TAVLO_TEST_RUN
}

# The pids of the marked processes still running, one a line. A zombie has no environment left.
# Only grep runs while the list is made, and without the mark.
marked_processes() {
    local file
    for file in $(env -u TAVLO_TEST_RUN grep -lzxF "TAVLO_TEST_RUN=$TAVLO_TEST_RUN" \
        /proc/[0-9]*/environ 2>/dev/null); do
        file=${file#/proc/}
        echo "${file%/environ}"
    done
}

# Waits up to $1 tenths of a second for the marked processes to end by themselves.
wait_for_marked_processes() {
    for _ in $(seq "$1"); do
        [ -z "$(marked_processes)" ] && return 0
        sleep 0.1
    done
    [ -z "$(marked_processes)" ]
}

# Stops what the test left running, and says what it was on standard error. Returns false when
# there was something: a test that leaves a process behind fails, even if it passed otherwise.
# Programs on the test's display end with it, so this is meant to run once the display is gone.
stop_marked_processes() {
    # Clients of the display just stopped take a moment to notice.
    wait_for_marked_processes 100 && return 0
    local pids
    pids=$(marked_processes)
    echo "The test left these processes running; they are stopped now:" >&2
    # shellcheck disable=SC2086
    ps -o pid=,args= -p "$(echo $pids | tr ' ' ,)" >&2 || true
    # shellcheck disable=SC2086
    kill $pids 2>/dev/null || true
    wait_for_marked_processes 40 && return 1
    # shellcheck disable=SC2046
    kill -9 $(marked_processes) 2>/dev/null || true
    return 1
}
