#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Tavlo and starts it. Started through sudo, only the install
# keeps root's rights: the build and Tavlo run as the user who called sudo, in that user's session.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

as_user=()
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    # sudo keeps DISPLAY and XAUTHORITY but drops the session's runtime folder and bus address;
    # both are where a desktop session keeps them.
    runtime=/run/user/$(id -u "$SUDO_USER")
    if [ -z "${XDG_RUNTIME_DIR:-}" ] && [ -d "$runtime" ]; then export XDG_RUNTIME_DIR=$runtime; fi
    if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -S "$runtime/bus" ]; then
        export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
    fi
    # A build folder that an earlier run left to root goes back to the user.
    if [ "$(stat -c %u build 2>/dev/null)" = 0 ]; then chown -R "$SUDO_USER": build; fi
    as_user=(runuser -u "$SUDO_USER" --)
elif [ "$(id -u)" -eq 0 ]; then
    echo "Note: Tavlo runs as root, so its Open and Save dialogs reach every file." >&2
fi
"${as_user[@]}" cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
"${as_user[@]}" cmake --build build -j"$(nproc)" --target tavlo
exec "${as_user[@]}" build/src/tavlo
