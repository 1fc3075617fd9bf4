#!/usr/bin/env bash
# The game in real time with a player's keys and clicks, first as the machine is, then with every
# core busy in a parallel build of the game next to it:
#   bench/under_load.sh [seconds]      (default 100, long enough for the song to pass its loop point)
# Needs a build in build/ (scripts/test or scripts/play make one).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-100}
cmake --build build -j"$(nproc)" --target under_load >/dev/null
run() {
  QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy build/bench/under_load "$seconds" 2> >(grep -v -e CRITICAL -e XDG_RUNTIME_DIR >&2)
}

echo "== as the machine is"
status=0
run || status=1

echo "== next to a parallel build (-j$(nproc))"
load=$(mktemp -d)
# The build loops in a session of its own until the run is over, then that session ends.
setsid bash -c "cmake -S . -B '$load' -DMORVIK_BENCH=OFF >/dev/null
  while :; do cmake --build '$load' -j$(nproc) >/dev/null 2>&1; cmake --build '$load' --target clean >/dev/null; done" &
builder=$!
trap 'kill -- -"$builder" 2>/dev/null || true; wait "$builder" 2>/dev/null || true; rm -rf "$load"' EXIT
sleep 10
run || status=1
exit "$status"
