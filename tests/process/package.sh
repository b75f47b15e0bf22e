#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB), unpacks it into a root of its own (dpkg -x) and checks
# what a desktop and a user find there: the two programs, which run from there; a valid desktop
# entry that names them; the icon drawn at every size; valid AppStream metadata; the manual page;
# and the libraries and plug-ins it depends on.
# Usage: package.sh BUILD-FOLDER
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() { "$@" || { echo "FAIL: $*" >&2; exit 1; }; }

(cd "$1" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(echo "$work"/out/nerimo_*_amd64.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6serialport6 libhamlib4 qt6-qpa-plugins; do
    check grep -q "$package" <<<"$depends"
done
root=$work/root
dpkg -x "$deb" "$root"

check test "$("$root/usr/bin/nerimo" --version)" = "nerimo $(dpkg-deb -f "$deb" Version)"
check grep -q '^nerimo-receiver-sim ' <("$root/usr/bin/nerimo-receiver-sim" --version)
entry=$root/usr/share/applications/nerimo.desktop
check test -z "$(desktop-file-validate "$entry" 2>&1)"
for line in Exec=nerimo Icon=nerimo StartupWMClass=nerimo; do
    check grep -qx "$line" "$entry"
done
for size in 16 32 48 256; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/nerimo.png
    check test "$(identify -format '%wx%h' "$icon")" = "${size}x$size"
    # The trace's green is there: drawn, not left blank.
    check test "$(convert "$icon" -fill black +opaque '#00ff00' -format '%[fx:maxima.g]' info:)" = 1
done
check appstreamcli validate-tree --no-net "$root" >/dev/null
check grep -q 'list\\-ports' <(zcat "$root/usr/share/man/man1/nerimo.1.gz")
echo "packaged: $(basename "$deb"); the programs run from it; its desktop entry, icons," \
    "metadata and manual page are there"
