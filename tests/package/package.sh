#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) and checks it as a distribution would: lintian with no
# error and no warning, valid AppStream metadata and desktop entry, its dependencies. Unpacked into
# a root of its own (dpkg -x), it checks what a desktop and a user find there: the two programs,
# which run from there; the icon drawn at every size; both manual pages. Then where each kind of
# copy keeps its settings: the unpacked package and an install under a prefix (cmake --install),
# each run as another user with a Nerimo.ini planted beside the executable, read neither by the
# settings check nor by a start; the build folder's own copy reads the file beside it.
# Usage: package.sh BUILD-FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
check() { "$@" || { echo "FAIL: $*" >&2; exit 1; }; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(echo "$work"/out/nerimo_*_amd64.deb)
verdict=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
check test -z "$verdict"
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
check appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null
check grep -q 'GPL-3.0-or-later' "$root"/usr/share/metainfo/*.metainfo.xml
check grep -q 'list\\-ports' <(zcat "$root/usr/share/man/man1/nerimo.1.gz")
check grep -q 'RIG_SPEED=' <(zcat "$root/usr/share/man/man1/nerimo.1.gz")
check grep -q 'silent\\-after' <(zcat "$root/usr/share/man/man1/nerimo-receiver-sim.1.gz")

# An installed copy, as user 65534 with a home of its own, never reads the file beside it: its
# settings check names the per-user file, and a start creates that file and says nothing of the
# planted one's comment line.
installed() {
    local program=$1 home
    home=$(mktemp -d -p "$work")
    chmod 777 "$home"
    printf '#MHZ=150\n' >"$(dirname "$program")/Nerimo.ini"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups
        env -i HOME="$home" XDG_CONFIG_HOME="$home/config" TMPDIR="$home" PATH=/usr/bin:/bin)
    report=$("${as_user[@]}" "$program" --check-settings || true)
    check grep -qx "Settings file: $home/config/nerimo/Nerimo.ini" <<<"$report"
    check grep -q "^MHZ= *145 *default$" <<<"$report"
    errors=$("${as_user[@]}" "$program" --headless --log "$home/log.csv" \
        --device /dev/ttyNerimoNone 2>&1 >/dev/null || true)
    check test -f "$home/config/nerimo/Nerimo.ini"
    check grep -q "No such file or directory" <<<"$errors"
    check test "$(grep -c "starts with '#'" <<<"$errors")" = 0
}
installed "$root/usr/bin/nerimo"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
installed "$work/prefix/bin/nerimo"
# The build folder's copy is run from its own folder: the file beside it.
check grep -qx "Settings file: $build/Nerimo.ini" <("$build/nerimo" --check-settings || true)

echo "packaged: $(basename "$deb"), lintian-clean; the programs run from it; its desktop" \
    "entry, icons, metadata and manual pages are there; installed copies keep their settings" \
    "in the user's folder"
