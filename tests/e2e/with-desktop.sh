#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private X desktop: Xvfb with the fluxbox window manager, whose toolbar holds
# a system tray. Everything started here is stopped when the command ends, and so is whatever the
# command left running, which fails the run.
set -euo pipefail
# shellcheck source=test-processes.sh source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/test-processes.sh"

work=$(mktemp -d)
marked=0
xvfb_pid=""
wm_pid=""
stop() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null || true
}
cleanup() {
    local status=$?
    if [ -z "$wm_pid" ] && [ -s "$work/wm.pid" ]; then wm_pid=$(cat "$work/wm.pid"); fi
    stop "$wm_pid"
    stop "$xvfb_pid"
    if [ "$marked" = 1 ] && ! stop_marked_processes && [ "$status" = 0 ]; then status=1; fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
# Stopped from outside (a timeout), the run still stops what it started.
trap 'exit 143' TERM
trap 'exit 130' INT

Xvfb -displayfd 3 -screen 0 "${TAVLO_TEST_SCREEN:-1280x800x24}" -nolisten tcp -dpi 96 \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

cat >"$work/fluxbox-init" <<INIT
session.screen0.toolbar.visible: true
session.screen0.toolbar.tools: iconbar, systemtray, clock
session.screen0.toolbar.placement: BottomCenter
session.screen0.toolbar.widthPercent: 100
session.screen0.toolbar.autoHide: false
session.screen0.workspaces: 1
session.screen0.focusModel: ClickFocus
session.screen0.windowPlacement: RowSmartPlacement
session.styleFile: /usr/share/fluxbox/styles/Emerge
session.styleOverlay: $work/overlay
INIT
# A plain background: no wallpaper program and no message about it.
echo "background: none" >"$work/overlay"
mkdir -p "$work/bin"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/fbsetbg"
chmod +x "$work/bin/fbsetbg"
if [ "${TAVLO_TEST_TRAY_LATER:-}" = 1 ]; then
    # The command starts the window manager, and with it the tray, when it chooses to, by running
    # $TAVLO_TEST_START_WM; it is stopped here at the end all the same.
    cat >"$work/start-wm" <<START
#!/bin/sh
echo \$\$ >"$work/wm.pid"
HOME="$work" PATH="$work/bin:$PATH" exec fluxbox -rc "$work/fluxbox-init" >"$work/fluxbox.log" 2>&1
START
    chmod +x "$work/start-wm"
    export TAVLO_TEST_START_WM="$work/start-wm"
else
    start_wm() {
        HOME="$work" PATH="$work/bin:$PATH" fluxbox -rc "$work/fluxbox-init" >>"$work/fluxbox.log" 2>&1 &
        wm_pid=$!
    }
    start_wm
    # On a loaded machine the window manager can take a while; without it nothing can pass. Now
    # and then, on a busy machine, it cannot connect to the X server just started and gives up
    # at once; it is started again then.
    for _ in $(seq 600); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        kill -0 "$wm_pid" 2>/dev/null || start_wm
        sleep 0.05
    done
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
        || { echo "fluxbox did not start"; cat "$work/fluxbox.log"; exit 1; }
fi

# The tests must not find a desktop's D-Bus tray or a Wayland compositor of the machine.
# With no address at all, the D-Bus library would start a bus of its own on the X display.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE
export DBUS_SESSION_BUS_ADDRESS=disabled:
export LANG=C.UTF-8 LC_ALL=C.UTF-8
if mark_test_processes; then marked=1; fi
"$@"
