#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) and checks it as a distribution would: lintian with no
# error and no warning, valid AppStream metadata and desktop entry, its dependencies. Unpacked into
# a root of its own (dpkg -x), it checks what a desktop and a user find there: the three programs,
# which run from there; the icon drawn at every size; the manual pages, nerimo.1's sections on the
# window, MQTT, its files and what to see also; the README and the guide, every link and picture
# of theirs found beside them. Then where each kind of
# copy keeps its settings: the unpacked package and an install under a prefix (cmake --install),
# each run as another user with a Nerimo.ini planted beside the executable, read neither by the
# settings check nor by a start; the build folder's own copy reads the file beside it.
# Usage: package.sh BUILD-FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
tree=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
check() { "$@" || { echo "FAIL: $*" >&2; exit 1; }; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(echo "$work"/out/nerimo_*_amd64.deb)
verdict=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
check test -z "$verdict"
depends=$(dpkg-deb -f "$deb" Depends)
# The collector's Python and MQTT client, which no binary's libraries name.
for package in libqt6widgets6 libqt6serialport6 libhamlib4 qt6-qpa-plugins python3 \
    python3-paho-mqtt; do
    check grep -Eq "(^|, )$package( |,|$)" <<<"$depends"
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

# The collector runs as installed, a program (0755) that the system's python3 runs: its help and
# version need no broker.
collect=$root/usr/bin/nerimo-collect
check test "$(stat -c %a "$collect")" = 755
check grep -qx '#!/usr/bin/python3' <(head -n 1 "$collect")
check grep -q '^Usage: nerimo-collect --broker' <("$collect" --help)
check test "$("$collect" --version)" = "nerimo-collect $(dpkg-deb -f "$deb" Version)"

# The manual pages as man shows them; a section is its heading's lines up to the next heading.
# UTF-8, for the menu's ellipses, and wide, so that no name is broken at a line's end.
shown() { LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$1" 2>/dev/null | col -bx; }
section() { awk -v heading="$1" '/^[^ ]/ { on = ($0 == heading) } on'; }
collect_page=$(shown "$root/usr/share/man/man1/nerimo-collect.1.gz")
for option in --broker --credentials --format --output --count; do
    check grep -q -- "^ *$option" <<<"$(section OPTIONS <<<"$collect_page")"
done
check grep -q 'rtl_power' <<<"$(section OUTPUT <<<"$collect_page")"
check grep -q 'nerimo(1)' <<<"$(section 'SEE ALSO' <<<"$collect_page")"
page=$(shown "$root/usr/share/man/man1/nerimo.1.gz")
window=$(section 'THE WINDOW' <<<"$page")
for item in "The plot's menu" 'Save picture… (Ctrl+S)' 'Log sweeps to… (Ctrl+L)' \
    'Max hold (M), Min hold (N), Average (A)' 'Remove lockout (R)' 'Bookmarks…' \
    'History… (Ctrl+H)' 'The history window' 'Open log…' 'Fit all'; do
    check grep -qF "$item" <<<"$window"
done
mqtt=$(section MQTT <<<"$page")
for leaf in sweep scan activity status; do
    check grep -qx " *PREFIX/ID/$leaf" <<<"$mqtt"
done
files=$(section FILES <<<"$page")
for file in Nerimo.ini lockouts.csv Nerimo-window.ini 'sweep log' 'activity log' pictures \
    'named frequencies'; do
    check grep -qF "$file" <<<"$files"
done
see_also=$(section 'SEE ALSO' <<<"$page")
for page_name in 'rtl_power(1)' 'gqrx(1)' 'rigctld(1)' 'mosquitto_sub(1)' 'nerimo-collect(1)' \
    'nerimo-receiver-sim(1)'; do
    check grep -qF "$page_name" <<<"$see_also"
done

# The README and every page of the guide, in the folders their links take for granted: each link
# to a file of the package (not the web, not a heading of its own page) finds it there.
doc=$root/usr/share/doc/nerimo
check test -f "$doc/README.md"
for guide_page in "$tree"/docs/guide/*.md; do
    check test -f "$doc/docs/guide/$(basename "$guide_page")"
done
links=0 pictures=0
while IFS= read -r page_file; do
    while IFS= read -r target; do
        target=${target%%#*}
        [ -z "$target" ] && continue
        check test -e "$(dirname "$page_file")/$target"
        links=$((links + 1))
        case $target in *.png | *.svg) pictures=$((pictures + 1)) ;; esac
    done < <(grep -o '\]([^)]*)' "$page_file" | sed 's/^](//; s/)$//' | grep -v '^[a-z]*://')
done < <(find "$doc" -name '*.md')
# Links were found (the README alone has some twenty), pictures among them.
check test "$links" -gt 30
check test "$pictures" -gt 0

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

echo "packaged: $(basename "$deb"), lintian-clean; the programs and the collector run from it;" \
    "its desktop entry, icons, metadata, manual pages, README and guide ($links links, $pictures pictures)" \
    "are there; installed copies keep their settings in the user's folder"
