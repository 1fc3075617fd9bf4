#!/usr/bin/env bash
# How long the game takes to end once its "x" is pressed, on Wayland under a headless Weston, next
# to a parallel build of the game that keeps every core busy: RUNS starts (default 20), each
# played for a moment with its song on, then closed by pressing its Close button through the
# accessibility bus, as a screen reader would (a headless Weston takes no pointer). Each run counts
# as ended in time when the process is gone within 2 s of the press, its audio device was closed
# before that (the pipe that SDL's disk driver writes into is closed by its writer), and its last
# line on stderr arrived. Needs a build in build/.
#   bench/exit_under_weston.sh [RUNS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs=${1:-20}
for tool in weston dbus-run-session /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "exit_under_weston.sh: $tool is not installed (scripts/deps.sh test)" >&2; exit 2; }
done
cmake --build build -j"$(nproc)" --target morvik morvik_sounds >/dev/null

work=$(mktemp -d)
chmod 700 "$work"
load=$(mktemp -d)
weston=
builder=
cleanup() {
  [[ -n $builder ]] && kill -- -"$builder" 2>/dev/null
  [[ -n $weston ]] && kill "$weston" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$work" "$load"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work
weston --backend=headless-backend.so --socket=morvik-exit --idle-time=0 --width=1280 --height=1024 \
  >"$work/weston.log" 2>&1 &
weston=$!
for _ in $(seq 100); do [[ -S $work/morvik-exit ]] && break; sleep 0.1; done

# The build loops in a session of its own until the runs are over, then that session ends.
setsid bash -c "cmake -S . -B '$load' -DMORVIK_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
  while :; do cmake --build '$load' -j$(nproc) >/dev/null 2>&1; cmake --build '$load' --target clean >/dev/null; done" &
builder=$!
sleep 10

cd build
WAYLAND_DISPLAY=morvik-exit QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  dbus-run-session -- /usr/bin/python3 ../bench/exit_runs.py "$runs" "$work"
