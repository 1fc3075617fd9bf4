#!/usr/bin/env bash
# Resident memory of the game through play: at start, with the first assembly game, and after one
# and two cycles through the fifteen pictures (the cheat word typed fifteen times each), under a
# private Xvfb at a device pixel ratio of 1, audio on SDL's dummy driver. Needs Xvfb and xdotool.
# Usage: bench/picture_cycle.sh [GAME]      (default build/morvik)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
game=$(realpath "${1:-build/morvik}")
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 number <&"$displayfd"
export DISPLAY=":$number"
cd "$(dirname "$game")"
QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$game" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid $xvfb 2>/dev/null; wait 2>/dev/null || true' EXIT
window=$(xdotool search --sync --onlyvisible --pid "$pid" | head -1)
sleep 2
memory() { awk '/VmRSS|VmHWM/ {printf "%s %6d KiB  ", $1, $2}' "/proc/$pid/status"; echo; }
echo "start:                  $(memory)"
xdotool mousemove --window "$window" 449 381 click 1   # the assembly button
sleep 1
echo "first assembly game:    $(memory)"
for cycle in 1 2; do
  for _ in $(seq 15); do
    xdotool type --delay 30 hopla
    sleep 0.4
  done
  sleep 1
  echo "after $((cycle * 15)) pictures:      $(memory)"
done
