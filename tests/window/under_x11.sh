#!/usr/bin/env bash
# Runs a command as an X11 client of its own Xvfb display, with a small window manager that
# activates windows as a desktop does, on Qt's xcb platform.
#   under_x11.sh COMMAND [ARGS...]
set -euo pipefail
for tool in Xvfb openbox /usr/bin/python3; do
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

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 number <&"$displayfd"
export DISPLAY=":$number"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
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

export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions='$(dirname "$(realpath "$0")")/desktop-leaks.supp':fast_unwind_on_malloc=0"
QT_QPA_PLATFORM=xcb "$@"
