#!/usr/bin/env bash
# Starts Nerimo from a demo folder of its own under the build folder, with its own Nerimo.ini, so
# it never reads or creates a settings file anywhere else. With no display it runs the window
# under Xvfb for a few seconds, saves a screenshot and prints its path.
set -euo pipefail

build=${1:-build}
demo="$build/demo"
mkdir -p "$demo"
# A hard link, not a symbolic one: the program finds its settings beside its resolved path.
ln -f "$build/nerimo" "$demo/nerimo" 2>/dev/null || cp -f "$build/nerimo" "$demo/nerimo"
if [ ! -f "$demo/Nerimo.ini" ]; then
    printf 'MHZ=145\r\nSPAN=1\r\nGRID=1\r\nCLEAR_SCREEN=1\r\nCOLOR=0\r\nPAUSE=0\r\n' >"$demo/Nerimo.ini"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$demo/nerimo"
fi

work=$(mktemp -d)
cleanup() {
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null
    [ -n "${xserver:-}" ] && kill "$xserver" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$work/display" 2>/dev/null &
xserver=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$demo/nerimo" &
program=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --class nerimo | head -n 1)
sleep 2
shot="$(cd "$build" && pwd)/nerimo-screenshot.png"
import -window "$window" "$shot"
echo "No display here: Nerimo ran under Xvfb. Screenshot: $shot"
