#!/usr/bin/env bash
# Starts the simulated receiver on a pseudo-terminal and Nerimo from a demo folder of its own under
# the build folder, with its own Nerimo.ini pointing at the simulator, so it never reads or creates
# a settings file anywhere else. With no display it runs the window under Xvfb, clicks "start",
# lets one full 1 MHz sweep run, saves a screenshot and prints its path.
set -euo pipefail

build=${1:-build}
demo="$build/demo"
mkdir -p "$demo"
# A hard link, not a symbolic one: the program finds its settings beside its resolved path.
ln -f "$build/nerimo" "$demo/nerimo" 2>/dev/null || cp -f "$build/nerimo" "$demo/nerimo"
link="$(cd "$demo" && pwd)/receiver"
printf 'MHZ=145\nSPAN=1\nGRID=1\nCLEAR_SCREEN=0\nCOLOR=0\nPAUSE=0\nDEVICE=%s\n' "$link" \
    >"$demo/Nerimo.ini"

work=$(mktemp -d)
cleanup() {
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null
    [ -n "${simulator:-}" ] && kill "$simulator" 2>/dev/null
    [ -n "${xserver:-}" ] && kill "$xserver" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$build/nerimo-receiver-sim" --link "$link" >/dev/null &
simulator=$!
for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
echo "Simulated receiver on $link; press start to sweep the demo band."

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$demo/nerimo"
    exit 0
fi

# Xvfb picks a free display number and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$work/display" 2>/dev/null &
xserver=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$demo/nerimo" &
program=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --class nerimo | head -n 1)
sleep 1
# "start" sits at (120, 40) in the window, 33 x 17 pixels.
xdotool mousemove --window "$window" 136 48 click 1
echo "No display here: Nerimo runs under Xvfb; one full 1 MHz sweep takes about 16 s."
sleep 17
# The pointer over the signal at 145.5 MHz (the 41st point, x 364 on the plot), for the read-out.
xdotool mousemove --window "$window" $((64 + 364)) $((136 + 150))
sleep 0.5
shot="$(cd "$build" && pwd)/nerimo-screenshot.png"
import -window "$window" "$shot"
echo "Screenshot: $shot"
