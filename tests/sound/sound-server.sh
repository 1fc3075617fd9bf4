#!/usr/bin/env bash
# A private sound server for the tests and benchmarks: PulseAudio, or PipeWire with WirePlumber and
# pipewire-pulse, each in a folder of its own (its XDG_RUNTIME_DIR), with a null sink and no systemd.
# Clients reach either through the PulseAudio protocol.
#
#   sound-server.sh start pulse|pipewire DIR   starts the server (again, on the same socket, after a
#                                              stop) and waits until its sink is there; prints the
#                                              lines of DIR/env: PULSE_SERVER=... and SINK=...
#   sound-server.sh stop DIR                   stops the server by its pids; PipeWire's D-Bus session
#                                              stays, for a start again
#   sound-server.sh quit DIR                   stops the server and its D-Bus session
#
# DIR is made by the caller (mktemp -d). Nothing else is touched: no fixed socket, port or file.
set -euo pipefail

usage() { echo "usage: $0 start pulse|pipewire DIR | stop DIR | quit DIR" >&2; exit 2; }

# Waits up to 30 s for a command to succeed: a loaded machine may take its time.
wait_for() {
  local tries=300
  until "$@" >/dev/null 2>&1; do
    ((--tries)) || return 1
    sleep 0.1
  done
}

stop_pids() {
  local file=$1 pid
  [[ -f $file ]] || return 0
  while read -r pid; do
    kill "$pid" 2>/dev/null || true
  done <"$file"
  while read -r pid; do
    # Wait for each to be gone, so that a start again finds its socket free.
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null || true
  done <"$file"
  rm -f "$file"
}

has_sink() { pactl list short sinks | grep -q "[[:space:]]$1[[:space:]]"; }

start() {
  local kind=$1 dir=$2
  export XDG_RUNTIME_DIR=$dir/run HOME=$dir/home
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset PULSE_SERVER DBUS_SESSION_BUS_ADDRESS PIPEWIRE_REMOTE
  local sink socket
  case $kind in
    pulse)
      socket=$XDG_RUNTIME_DIR/native
      sink=out
      pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
        -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
        -L "module-null-sink sink_name=$sink rate=44100" -L module-always-sink \
        >"$dir/server.log" 2>&1 &
      echo $! >"$dir/pids"
      ;;
    pipewire)
      socket=$XDG_RUNTIME_DIR/pulse/native
      sink=auto_null
      if [[ ! -f $dir/dbus ]]; then
        dbus-daemon --session --fork --print-address=1 --print-pid=1 --nosyslog >"$dir/dbus.out"
        { sed -n 1p "$dir/dbus.out"; } >"$dir/dbus"
        sed -n 2p "$dir/dbus.out" >"$dir/dbus.pid"
      fi
      export DBUS_SESSION_BUS_ADDRESS=$(cat "$dir/dbus")
      # No card: WirePlumber makes a null sink of its own. No systemd: nothing is started for us.
      pipewire >"$dir/server.log" 2>&1 &
      echo $! >"$dir/pids"
      wait_for test -S "$XDG_RUNTIME_DIR/pipewire-0"
      wireplumber >>"$dir/server.log" 2>&1 &
      echo $! >>"$dir/pids"
      pipewire-pulse >>"$dir/server.log" 2>&1 &
      echo $! >>"$dir/pids"
      ;;
    *) usage ;;
  esac
  export PULSE_SERVER=unix:$socket
  if ! wait_for has_sink "$sink"; then
    echo "sound-server.sh: the $kind server did not come up (see $dir/server.log)" >&2
    stop_pids "$dir/pids"
    exit 1
  fi
  # WirePlumber may not yet take a default just after the sink appears.
  wait_for pactl set-default-sink "$sink" || true
  printf 'PULSE_SERVER=%s\nSINK=%s\n' "$PULSE_SERVER" "$sink" | tee "$dir/env"
}

case ${1:-} in
  start) (($# == 3)) || usage; start "$2" "$3" ;;
  stop) (($# == 2)) || usage; stop_pids "$2/pids" ;;
  quit)
    (($# == 2)) || usage
    stop_pids "$2/pids"
    [[ -f $2/dbus.pid ]] && { cat "$2/dbus.pid" >"$2/pids"; stop_pids "$2/pids"; rm -f "$2/dbus" "$2/dbus.pid"; }
    true ;;
  *) usage ;;
esac
