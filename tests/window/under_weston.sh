#!/usr/bin/env bash
# Runs a command as a Wayland client of its own headless Weston compositor, on Qt's Wayland platform.
#   under_weston.sh COMMAND [ARGS...]
set -euo pipefail
command -v weston >/dev/null || { echo "SKIP: weston is not installed (scripts/deps.sh installs it)"; exit 77; }
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
[[ -e "$plugins/platforms/libqwayland-generic.so" ]] \
  || { echo "SKIP: Qt's Wayland platform is not installed (qt6-wayland; scripts/deps.sh installs it)"; exit 77; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_pid=
cleanup() {
  [[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$runtime"
socket=morvik-test
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --width=1280 --height=1024 \
  >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [[ -S "$runtime/$socket" ]] && break
  sleep 0.1
done
[[ -S "$runtime/$socket" ]] || { echo "FAIL: weston did not start"; cat "$runtime/weston.log"; exit 1; }

# In a sanitizer build, the leaks of Qt's Wayland platform itself are not the game's.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions='$(dirname "$(realpath "$0")")/desktop-leaks.supp':fast_unwind_on_malloc=0"
WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland "$@"
