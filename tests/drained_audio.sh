#!/usr/bin/env bash
# Runs a command with SDL's disk driver writing into a pipe that is read and thrown away: the audio
# renders as fast as the machine can (SDL_AUDIO_DISK_TIMESCALE=0 for SDL 3 under sdl2-compat) and
# fills no disk. (SDL 2.32 takes a regular file or a pipe only.)   drained_audio.sh COMMAND [ARGS...]
set -euo pipefail
work=$(mktemp -d)
mkfifo "$work/audio"
# Held open for reading and writing, the pipe never reads as ended, however many devices open and
# close it.
cat <>"$work/audio" >/dev/null &
drain=$!
trap 'kill "$drain"; wait "$drain" 2>/dev/null || true; rm -rf "$work"' EXIT
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio" SDL_DISKAUDIODELAY=0 SDL_AUDIO_DISK_TIMESCALE=0 "$@"
