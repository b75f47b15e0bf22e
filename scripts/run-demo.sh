#!/usr/bin/env bash
# Starts the simulated receiver on a pseudo-terminal and Nerimo from a demo folder of its own under
# the build folder, with its own Nerimo.ini pointing at the simulator, so it never reads or creates
# a settings file anywhere else. With RIG=2 in the environment the simulator serves the band as
# rigctld would, and Nerimo sweeps it through Hamlib. With no display it runs the window under
# Xvfb, clicks "start", lets one full 1 MHz sweep run, saves a screenshot and prints its path.
# With SURVEY=N it runs an unattended survey of N sweeps instead, with no window and no display,
# and prints the paths of its log and its picture.
set -euo pipefail

headless=0
if [ -n "${SURVEY:-}" ]; then
    :
elif [ "${1:-}" = --headless ]; then
    headless=1
    shift
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec "$(dirname "$0")/with-xvfb.sh" "$0" --headless "$@"
fi
build=${1:-build}
demo="$build/demo"
mkdir -p "$demo"
# A hard link, not a symbolic one: the program finds its settings beside its resolved path.
ln -f "$build/nerimo" "$demo/nerimo" 2>/dev/null || cp -f "$build/nerimo" "$demo/nerimo"
link="$(cd "$demo" && pwd)/receiver"
settings='MHZ=145\nSPAN=1\nGRID=1\nCLEAR_SCREEN=0\nCOLOR=0\nPAUSE=0\n'

cleanup() {
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null
    [ -n "${simulator:-}" ] && kill "$simulator" 2>/dev/null
    return 0
}
trap cleanup EXIT

if [ "${RIG:-0}" = 2 ]; then
    coproc SIMULATOR { exec "$build/nerimo-receiver-sim" --rigctld 0; }
    simulator=$SIMULATOR_PID
    read -r _ address <&"${SIMULATOR[0]}"
    printf "${settings}RIG=2\nDEVICE=%s\n" "$address" >"$demo/Nerimo.ini"
    echo "Simulated receiver served as rigctld on $address."
    hint="press start to sweep it through Hamlib."
else
    "$build/nerimo-receiver-sim" --link "$link" >/dev/null &
    simulator=$!
    for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
    printf "${settings}DEVICE=%s\n" "$link" >"$demo/Nerimo.ini"
    echo "Simulated receiver on $link."
    hint="press start to sweep the demo band."
fi

if [ -n "${SURVEY:-}" ]; then
    log="$(cd "$demo" && pwd)/sweeps.csv"
    picture="$(cd "$demo" && pwd)/survey.png"
    echo "A survey of $SURVEY sweeps with no window, some 16 s each; rows are appended to $log."
    "$demo/nerimo" --headless --log "$log" --sweeps "$SURVEY" --picture "$picture"
    echo "Log: $log"
    echo "Picture: $picture"
    exit 0
fi

if [ "$headless" -eq 0 ]; then
    echo "Nerimo: $hint"
    "$demo/nerimo"
    exit 0
fi

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
