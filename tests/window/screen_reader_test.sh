#!/usr/bin/env bash
# Reads the window's accessible tree over AT-SPI, as a screen reader does, in a private D-Bus session
# under a private X display: every object has a name and a role that says what it is (none is a
# nameless "filler"), the game's own controls carry theirs, and the number label reads as the
# picture's number once a game is chosen through the accessibility bus.
#   screen_reader_test.sh GAME
set -euo pipefail
game=$(realpath "$1")
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/deps.sh installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

work=$(mktemp -d)
xvfb=
cleanup() {
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 10 number <&"$displayfd"
export DISPLAY=":$number"

cd "$work"
export GAME="$game"
dbus-run-session -- bash -c '
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 SDL_AUDIODRIVER=dummy "$GAME" >game.log 2>&1 &
  game=$!
  /usr/bin/python3 - <<PY
import sys, time
import pyatspi

def find_app():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "morvik":
                return app
        time.sleep(0.1)
    sys.exit("FAIL: the game never showed up on the accessibility bus")

def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)

app = find_app()
time.sleep(0.5)
objects = [(o, d) for o, d in walk(app) if d > 0]
faults = []
for o, d in objects:
    role = o.getRoleName()
    print("  " * d + f"{role}: {o.name!r}")
    if not o.name or role in ("filler", "unknown"):
        faults.append(f"{role} {o.name!r}")
if faults:
    sys.exit("FAIL: objects without a name or a role of their own: " + ", ".join(faults))

found = {o.name: o for o, _ in objects}
expected = {
    "Preview": "image", "Tray": "canvas", "Board": "canvas", "Hand": "image",
    "Title animation": "animation", "Music": "check box", "Effects": "check box",
    "Sliding": "radio button", "Assembling": "radio button", "Idle": "radio button",
    "Close": "push button", "No picture yet": "label",
}
for name, role in expected.items():
    if name not in found:
        sys.exit(f"FAIL: no object named {name!r}")
    if found[name].getRoleName() != role:
        sys.exit(f"FAIL: {name!r} is a {found[name].getRoleName()}, expected a {role}")
print("PASS: every object is named, with its role")

# Choose the sliding game as a screen reader user would: focus the button through the
# accessibility bus, then press the space bar.
sliding = found["Sliding"].queryAction()
actions = [sliding.getName(i).lower() for i in range(sliding.nActions)]
sliding.doAction(actions.index("setfocus"))
time.sleep(0.3)
pyatspi.Registry.generateKeyboardEvent(0x20, None, pyatspi.KEY_SYM)
for _ in range(50):
    names = [o.name for o, _ in walk(app)]
    if "Picture 1" in names:
        print("PASS: the number label reads \"Picture 1\"")
        break
    time.sleep(0.1)
else:
    sys.exit("FAIL: the number label does not read \"Picture 1\"")
PY
  status=$?
  kill $game 2>/dev/null
  wait $game 2>/dev/null
  exit $status
'
