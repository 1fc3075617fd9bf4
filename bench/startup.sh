#!/usr/bin/env bash
# Start-up time (exec to the window being mapped), resident memory and idle CPU of Morvik against a
# bare Qt 6 window, measured from outside under a private Xvfb by the desktop measuring harness
# (desktop-peers.sh with peermeter.py, from $MORVIK_PEERS or ../shared/bench). Runs are
# interleaved; the harness prints medians and ratios to the first program.
#   qt6-hello        a bare Qt 6 window
#   qt6-hello-tick   the same with a 266 x 74 picture changing every 100 ms
#   morvik           the game started from build/, with its song playing
#   morvik-no-music  the game started from a folder with the four effects only: no song plays
# With MORVIK_COMPARE set to another build folder, its game is measured in the same rounds too
# (morvik-other, morvik-other-no-music), for an A/B under the same load.
# Audio goes through SDL's dummy driver, which renders in real time; with MORVIK_AUDIO=pulse, through
# a private PulseAudio server with a null sink (tests/sound/sound-server.sh), as on a desktop.
# Usage: bench/startup.sh [RUNS] [IDLE-SECONDS] [HARNESS OPTIONS...]   (defaults 7 and 30; for
#        instance --display 85 --work /tmp/my-peers when another run may be going on)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
peers=${MORVIK_PEERS:-../shared/bench}
if [[ ! -f $peers/desktop-peers.sh ]]; then
  echo "startup.sh: no desktop-peers.sh in $peers (set MORVIK_PEERS)" >&2
  exit 2
fi
runs=${1:-7}
idle=${2:-30}
shift $(($# < 2 ? $# : 2))
build=$PWD/build
if [[ ! -x $build/morvik ]]; then
  scripts/deps.sh test
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j"$(nproc)" --target morvik morvik_sounds
fi
quiet=$(mktemp -d)
server=$(mktemp -d)
trap 'tests/sound/sound-server.sh quit "$server"; rm -rf "$quiet" "$server"' EXIT
cp "$build"/*.wav "$quiet"
audio="SDL_AUDIODRIVER=dummy"
if [[ ${MORVIK_AUDIO:-dummy} == pulse ]]; then
  tests/sound/sound-server.sh start pulse "$server" >/dev/null
  audio="SDL_AUDIODRIVER=pulseaudio $(grep PULSE_SERVER "$server/env")"
fi
programs=(
  "qt6-hello:\$DESKTOP_PEERS_WORK/qt6hello:./qt6hello"
  "qt6-hello-tick:\$DESKTOP_PEERS_WORK/qt6hello:./qt6hello tick"
  "morvik:$build:env $audio ./morvik"
  "morvik-no-music:$quiet:env $audio $build/morvik"
)
if [[ -n ${MORVIK_COMPARE:-} ]]; then
  other=$(cd "$MORVIK_COMPARE" && pwd)
  programs+=("morvik-other:$other:env $audio ./morvik"
             "morvik-other-no-music:$quiet:env $audio $other/morvik")
fi
bash "$peers/desktop-peers.sh" -n "$runs" --idle "$idle" "$@" "${programs[@]}"
