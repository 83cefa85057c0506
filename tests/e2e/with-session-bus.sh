#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with a private D-Bus session bus of its own, which ends with the command. The bus
# has no service files, so nothing of the machine is started on it by activation. Run on its own,
# it also stops whatever the command left running, which fails the run.
set -euo pipefail
# shellcheck source=test-processes.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/test-processes.sh"

work=$(mktemp -d)
bus_pid=""
marked=0
cleanup() {
    local status=$?
    if [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null; then
        for _ in $(seq 40); do kill -0 "$bus_pid" 2>/dev/null || break; sleep 0.05; done
        kill -9 "$bus_pid" 2>/dev/null || true
    fi
    if [ "$marked" = 1 ] && ! stop_marked_processes && [ "$status" = 0 ]; then status=1; fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
if mark_test_processes; then marked=1; fi

cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 --print-pid=4 \
    3>"$work/address" 4>"$work/pid" >"$work/bus.log" 2>&1 &
bus_pid=$!
for _ in $(seq 200); do [ -s "$work/address" ] && break; sleep 0.05; done
[ -s "$work/address" ] || { echo "dbus-daemon did not start"; cat "$work/bus.log"; exit 1; }

DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/address")
export DBUS_SESSION_BUS_ADDRESS
# Tells the test that the bus is this private one and not a desktop's.
export TAVLO_TEST_PRIVATE_BUS="$DBUS_SESSION_BUS_ADDRESS"
"$@"
