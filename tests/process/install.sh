#!/usr/bin/env bash
# Installs the build into a prefix of its own and checks what a desktop finds there: the two
# programs, a valid desktop entry that names them, and the icon drawn at every size.
# Usage: install.sh BUILD-FOLDER
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
check() { "$@" || { echo "FAIL: $*" >&2; exit 1; }; }

cmake --install "$1" --prefix "$prefix" >/dev/null
check test -x "$prefix/bin/nerimo" -a -x "$prefix/bin/nerimo-receiver-sim"
entry=$prefix/share/applications/nerimo.desktop
check test -z "$(desktop-file-validate "$entry" 2>&1)"
for line in Exec=nerimo Icon=nerimo StartupWMClass=nerimo; do
    check grep -qx "$line" "$entry"
done
for size in 16 32 48 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/nerimo.png
    check test "$(identify -format '%wx%h' "$icon")" = "${size}x$size"
    # The trace's green is there: drawn, not left blank.
    check test "$(convert "$icon" -fill black +opaque '#00ff00' -format '%[fx:maxima.g]' info:)" = 1
done
echo "installed: the programs, the desktop entry and the icon at 16, 32, 48 and 256 pixels"
