#!/usr/bin/env bash
# Runs a command on a private Xvfb screen of 1024 x 768 pixels with no window manager, so windows
# stand where they place themselves; the server goes when the command ends.
set -euo pipefail

work=$(mktemp -d)
# Xvfb picks a free display number and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$work/display" 2>/dev/null &
xserver=$!
trap 'kill "$xserver" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
"$@"
