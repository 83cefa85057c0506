#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, running and testing Tavlo needs on Debian 12 or Ubuntu 22.04 and later.
# Does nothing when everything is already there; uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
    libicu-dev qt6-qpa-plugins fonts-dejavu-core
)
if [ "${1:-}" = "--tests" ]; then
    # The end-to-end tests: a private X server, a window manager with a system tray, and the
    # tools that drive the program and look at the screen as a person would; a private D-Bus for
    # the StatusNotifierItem tray.
    packages+=(xvfb fluxbox xdotool x11-utils xclip imagemagick dbus-daemon)
    # What a screen reader reads of the note: the accessibility bus and its Python client.
    packages+=(at-spi2-core python3-pyatspi)
    # The package check: a .deb with computed dependencies, validated as a distribution would.
    packages+=(dpkg-dev desktop-file-utils appstream lintian)
    # The layout check of the C++ files.
    packages+=(clang-format)
    # Unicode's own test files of text segmentation, which the caret's steps are checked on.
    packages+=(unicode-data)
    # Input methods: the unit test installs a platform input context of its own, through Qt's
    # private headers; the end-to-end test composes with a real IBus daemon and an m17n engine.
    packages+=(qt6-base-private-dev ibus ibus-m17n)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
