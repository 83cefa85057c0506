#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with a private D-Bus session bus of its own, which ends with the command. The bus
# has no service files, so nothing of the machine is started on it by activation.
set -euo pipefail

work=$(mktemp -d)
bus_pid=""
cleanup() {
    if [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null; then
        for _ in $(seq 40); do kill -0 "$bus_pid" 2>/dev/null || break; sleep 0.05; done
        kill -9 "$bus_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

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
