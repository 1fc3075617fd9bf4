#!/usr/bin/env bash
# The window moves by a drag on its background, under an X server with a small window manager that
# moves windows for their clients (_NET_WM_MOVERESIZE): a drag moves it by the drag's distance from
# the pointer's first move (the first of its ten steps, which tells the drag from a click), a click
# without a drag moves nothing, and a drag that starts on a control moves nothing.
#   under_x11.sh move_test.sh GAME
set -euo pipefail
game=$(realpath "$1")
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed (scripts/deps.sh installs it)"; exit 77; }
[[ -n "${DISPLAY:-}" ]] || { echo "move_test.sh runs under under_x11.sh, which gives it a display and a window manager"; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

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
