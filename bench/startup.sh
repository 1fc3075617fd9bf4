#!/usr/bin/env bash
# Start-up time (exec to the window being mapped), resident memory and idle CPU of Morvik against a
# bare Qt 6 window, measured from outside under a private Xvfb by the desktop measuring harness
# (desktop-peers.sh with peermeter.py, from $MORVIK_PEERS or ../shared/bench). Runs are
# interleaved; the harness prints medians and ratios to the first program.
#   morvik           the game started from build/, with its song playing
#   morvik-no-music  the game started from a folder with the four effects only: no song plays
# Audio goes through SDL's dummy driver, which renders in real time.
# Usage: bench/startup.sh [RUNS] [IDLE-SECONDS]      (defaults 7 and 30)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
peers=${MORVIK_PEERS:-../shared/bench}
if [[ ! -f $peers/desktop-peers.sh ]]; then
  echo "startup.sh: no desktop-peers.sh in $peers (set MORVIK_PEERS)" >&2
  exit 2
fi
runs=${1:-7}
idle=${2:-30}
build=$PWD/build
if [[ ! -x $build/morvik ]]; then
  scripts/deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j"$(nproc)" --target morvik morvik_sounds
fi
quiet=$(mktemp -d)
trap 'rm -rf "$quiet"' EXIT
cp "$build"/*.wav "$quiet"
bash "$peers/desktop-peers.sh" -n "$runs" --idle "$idle" \
  "qt6-hello:\$DESKTOP_PEERS_WORK/qt6hello:./qt6hello" \
  "morvik:$build:env SDL_AUDIODRIVER=dummy ./morvik" \
  "morvik-no-music:$quiet:env SDL_AUDIODRIVER=dummy $build/morvik"
