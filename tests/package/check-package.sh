#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tavlo's Debian package with CPack and checks it, without installing anything on the
# system: the package is only read (dpkg-deb -I, -c) and unpacked into a temporary directory.
#
#   tests/package/check-package.sh [BUILD_DIR]      (default: build-pkg in the source tree)
#
# A BUILD_DIR that does not exist yet is configured as a Release build with Debian's hardening
# flags (dpkg-buildflags), as a distribution package would be built.
# Checks: the expected files, root ownership and 0644/0755 modes, Depends, desktop-file-validate
# on the desktop entry, appstreamcli validate --no-net on the metainfo, and lintian (no errors).
# Needs: cmake, g++, the Qt 6 development packages, dpkg-dev, desktop-file-utils, appstream and
# lintian. Exits 77 (skip) when one of these tools is missing, 1 when a check fails.
set -euo pipefail

src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$src/build-pkg}
app_id=example.tavlo.Tavlo

missing=()
for tool in cmake cpack dpkg-deb dpkg-buildflags dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then
    echo "SKIP: missing ${missing[*]}" >&2
    echo "      apt-get install -y cmake dpkg-dev desktop-file-utils appstream lintian" >&2
    exit 77
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
step() { printf '\n== %s\n' "$*"; }

if [[ ! -f $build/CMakeCache.txt ]]; then
    step "Configuring $build (Release, Debian hardening flags)"
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi

step "Building in $build"
cmake --build "$build" -j"$(nproc)"

step "cpack -G DEB"
rm -f "$build"/tavlo_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/tavlo_*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
    echo "FAIL: expected exactly one tavlo_*.deb in $build" >&2
    exit 1
fi
deb=${debs[0]}
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

step "dpkg-deb -I"
dpkg-deb -I "$deb"
step "dpkg-deb -c"
listing=$(dpkg-deb -c "$deb")
echo "$listing"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/root"

step "Contents"
expected=(
    usr/bin/tavlo
    "usr/share/applications/$app_id.desktop"
    "usr/share/metainfo/$app_id.metainfo.xml"
    usr/share/man/man1/tavlo.1.gz
    usr/share/doc/tavlo/copyright
    usr/share/doc/tavlo/changelog.gz
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for path in "${expected[@]}"; do
    [[ -f $tmp/root/$path ]] || fail "missing /$path"
done
for size in 16 22 24 32 48 64 128 256; do
    png=$tmp/root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [[ -f $png ]] || continue
    # Width and height are the two big-endian words at bytes 16..23 of a PNG.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [[ $dims == "${size}x${size}" ]] || fail "$size px icon is $dims"
done
file_count=$(grep -vc '^d' <<<"$listing" || true)
echo "${#expected[@]} expected files found; the package holds $file_count files"
[[ $file_count -eq ${#expected[@]} ]] || fail "the package holds unexpected files"

# Owner root/root; directories and the program 0755, everything else 0644.
while read -r mode owner _ _ _ path _; do
    [[ $owner == root/root ]] || fail "$path is owned by $owner"
    case $mode in
        d*) want=drwxr-xr-x ;;
        *) if [[ $path == ./usr/bin/* ]]; then want=-rwxr-xr-x; else want=-rw-r--r--; fi ;;
    esac
    [[ $mode == "$want" ]] || fail "$path has mode $mode, not $want"
done <<<"$listing"
echo "ownership and modes checked"

gzip -t "$tmp/root/usr/share/man/man1/tavlo.1.gz" "$tmp/root/usr/share/doc/tavlo/changelog.gz" ||
    fail "a .gz file is damaged"

step "Depends"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends"
for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done
# The X11 platform plugin is loaded at run time, so the package owning it must be in Depends too.
xcb_owner=$(dpkg-query -S '*/qt6/plugins/platforms/libqxcb.so' 2>/dev/null | head -n1 | cut -d: -f1 || true)
if [[ -n $xcb_owner ]]; then
    grep -q "\b$xcb_owner\b" <<<"$depends" || fail "Depends lacks $xcb_owner (Qt's xcb platform plugin)"
fi

step "desktop-file-validate"
desktop-file-validate "$tmp/root/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
echo "done"

step "appstreamcli validate --no-net"
appstreamcli validate --no-net --pedantic "$tmp/root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate"

step "lintian"
# Tags of every level are shown; only errors fail.
lintian --display-level '>=pedantic' --fail-on error "$deb" || fail "lintian reports errors"

if ((failures)); then
    printf '\n%d check(s) failed\n' "$failures" >&2
    exit 1
fi
printf '\nAll package checks passed: %s\n' "$deb"
