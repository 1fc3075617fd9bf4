#!/usr/bin/env bash
# The window moves by a drag on its background, under an X server with a small window manager that
# moves windows for their clients (_NET_WM_MOVERESIZE): a drag moves it by the drag's distance from
# the pointer's first move (the first of its ten steps, which tells the drag from a click), a click
# without a drag moves nothing, and a drag that starts on a control moves nothing.
#   move_test.sh GAME
set -euo pipefail
game=$(realpath "$1")
for tool in Xvfb openbox xdotool /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/deps.sh installs it)"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private display, numbered by the server itself.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 number <&"$displayfd"
export DISPLAY=":$number"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The window manager is up once it names itself on the root window (Debian's own Python, which has
# python3-xlib).
/usr/bin/python3 - <<'PY'
import time
from Xlib import display
d = display.Display()
check = d.intern_atom('_NET_SUPPORTING_WM_CHECK')
for _ in range(100):
    if d.screen().root.get_full_property(check, 0):
        break
    time.sleep(0.1)
else:
    raise SystemExit('no window manager came up')
PY

cd "$work"
QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$game" >"$work/game.log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --pid "${pids[-1]}" | head -1)
sleep 0.5

position() { xdotool getwindowgeometry --shell "$window" | awk -F= '/^[XY]=/ {printf "%s ", $2}'; }
# Presses at (x, y) of the window, moves the pointer by (dx, dy) in ten steps, releases.
drag() {
  local x=$1 y=$2 dx=$3 dy=$4
  xdotool mousemove --window "$window" "$x" "$y" mousedown 1
  for _ in $(seq 10); do
    xdotool mousemove_relative -- $((dx / 10)) $((dy / 10))
    sleep 0.03
  done
  xdotool mouseup 1
  sleep 0.5
}
expect() {
  local what=$1 want=$2 got
  got=$(position)
  if [[ "$got" != "$want" ]]; then
    echo "FAIL: $what: the window is at $got, expected $want"
    exit 1
  fi
  echo "PASS: $what ($got)"
}

read -r x0 y0 <<<"$(position)"
# A click on the background, between the tray's column numbers and the picture number.
xdotool mousemove --window "$window" 290 100 click 1
sleep 0.5
expect "a click without a drag" "$x0 $y0 "

drag 290 100 120 80
expect "a drag on the background" "$((x0 + 108)) $((y0 + 72)) "

# A drag that starts on the sliding-mode button chooses nothing and moves nothing.
drag 112 380 -100 60
expect "a drag that starts on a control" "$((x0 + 108)) $((y0 + 72)) "
