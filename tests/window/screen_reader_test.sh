#!/usr/bin/env bash
# Reads the window's accessible tree over AT-SPI, as a screen reader does, in a private D-Bus session
# under a private X display: every object has a name and a role that says what it is (none is a
# nameless "filler"), the game's own controls carry theirs, and the number label reads as the
# picture's number once a game is chosen through the accessibility bus. Then a whole assembly game
# is played through the accessibility bus alone: the assembling button's action starts it, each
# tray cell's action picks its piece up, the hand says where the piece belongs, and that board
# cell's action puts it down, until the next picture comes. On the way, the cursor keys move the
# accessible focus from cell to cell, and with Qt 6.8 or later the hand announces each piece it
# picks up or puts down. Everything is heard in the locale's language: Czech under a Czech locale,
# English where the game has no translation; a Czech run also counts what is not Czech.
#   screen_reader_test.sh GAME [LOCALE]
set -euo pipefail
game=$(realpath "$1")
export LANG=${2:-C.UTF-8}
unset LANGUAGE LC_ALL LC_MESSAGES
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher /usr/bin/python3 xdotool; do
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
import os, re, subprocess, sys, time
import pyatspi
from gi.repository import GLib

GAME_PID = $game

# What the game says in Czech; in a language it has no translation for, the English itself.
CZECH = {
    "Preview": "Náhled", "Tray": "Zásobník", "Board": "Deska", "Hand: empty": "Ruka: prázdná",
    "Title animation": "Titulní animace", "Music": "Hudba", "Effects": "Efekty", "Sliding": "přesuny",
    "Assembling": "skládání", "Idle": "nečinnost", "Close": "Zavřít", "No picture yet": "Zatím žádný obrázek",
    "Picture %1": "Obrázek %1", "Column %1, row %2, piece": "Sloupec %1, řádek %2, dílek",
    "Column %1, row %2, empty": "Sloupec %1, řádek %2, prázdné",
    "Hand: the piece of column %1, row %2": "Ruka: dílek ze sloupce %1, řádku %2",
    "Picked up the piece of column %1, row %2": "Zvednut dílek ze sloupce %1, řádku %2",
    "Put the piece down": "Dílek položen",
    "Picture puzzle: choose sliding or assembling below": "Obrázková skládačka: dole zvolte přesuny nebo skládání",
    "The whole current picture": "Celý současný obrázek", "The pieces of the picture, ten by ten": "Dílky obrázku, deset na deset",
    "Ten by ten cells where the pieces are put together": "Deset na deset políček, kde se z dílků skládá obrázek",
    "The piece being carried": "Dílek, který právě nesete", "Empty cell": "Prázdné políčko", "Never shown": "Nikdy se nezobrazuje",
    "Empty tray cell": "Prázdné políčko zásobníku", "Picture store": "Zásoba obrázků", "Frame store": "Zásoba snímků",
}
IN_CZECH = os.environ["LANG"].startswith("cs_")
def say(text, *args):
    text = CZECH[text] if IN_CZECH else text
    for n, arg in enumerate(args):
        text = text.replace("%" + str(n + 1), str(arg))
    return text
def cell_says(name, what):
    return re.fullmatch(say("Column %1, row %2, " + what, "[0-9]", "[0-9]"), name) is not None

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
    say("Preview"): "image", say("Tray"): "canvas", say("Board"): "canvas", say("Hand: empty"): "image",
    say("Title animation"): "animation", say("Music"): "check box", say("Effects"): "check box",
    say("Sliding"): "radio button", say("Assembling"): "radio button", say("Idle"): "radio button",
    say("Close"): "push button", say("No picture yet"): "label",
}
for name, role in expected.items():
    if name not in found:
        sys.exit(f"FAIL: no object named {name!r}")
    # Newer AT-SPI libraries name the role of a push button "button".
    if found[name].getRoleName() not in ({role, "button"} if role == "push button" else {role}):
        sys.exit(f"FAIL: {name!r} is a {found[name].getRoleName()}, expected a {role}")
print("PASS: every object is named, with its role")

# Choose the sliding game as a screen reader user would: focus the button through the
# accessibility bus, then press the space bar.
sliding = found[say("Sliding")].queryAction()
actions = [sliding.getName(i).lower() for i in range(sliding.nActions)]
sliding.doAction(actions.index("setfocus"))
time.sleep(0.3)
pyatspi.Registry.generateKeyboardEvent(0x20, None, pyatspi.KEY_SYM)
first = say("Picture %1", 1)
for _ in range(50):
    names = [o.name for o, _ in walk(app)]
    if first in names:
        print(f"PASS: the number label reads {first!r}")
        break
    time.sleep(0.1)
else:
    sys.exit(f"FAIL: the number label does not read {first!r}")

def wait_for(what, test, seconds=5):
    for _ in range(int(seconds * 50)):
        if test():
            return
        time.sleep(0.02)
    sys.exit("FAIL: " + what)

def press(node):
    action = node.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    action.doAction(names.index("press") if "press" in names else names.index("click"))

def label():
    return [o.name for o, _ in walk(app) if o.getRoleName() == "label" and o.name.startswith(say("Picture %1", ""))]

tray, board, hand = found[say("Tray")], found[say("Board")], found[say("Hand: empty")]
cells = [tray.getChildAtIndex(n) for n in range(tray.childCount)]
if len(cells) != 100 or board.childCount != 100:
    sys.exit(f"FAIL: the tray has {len(cells)} cells and the board {board.childCount}, not 100 each")
# The number label changes before the tiles are laid out and given their tool tips.
wait_for("a sliding tile describes itself by its tool tip",
         lambda: cells[0].description.strip().startswith(tuple("0123456789")))

# The assembling button, through its action alone, starts an assembly game.
press(found[say("Assembling")])
wait_for("the assembling button action starts no game",
         lambda: all(cell_says(c.name, "piece") for c in cells) and cells[0].description == "")
print("PASS: the assembling button action starts an assembly game")

# Everything a screen reader reads now is said in the language of the game, but for the texts that
# the window shows alike in every language: the name of the game, the credit, the close label tip.
said = [t for o, _ in walk(app) if o is not app for t in (o.name, o.description) if t]
def pattern(text):
    return re.escape(text).replace("%1", "[0-9]+").replace("%2", "[0-9]+")
def english(text):
    return any(re.fullmatch(pattern(k), text) for k in CZECH)
def ours(text):
    return any(re.fullmatch(pattern(say(k)), text) for k in CZECH)
if IN_CZECH and any(english(t) for t in said):
    sys.exit("FAIL: English under a Czech locale: " + ", ".join(sorted(set(t for t in said if english(t)))))
neutral = sorted(set(t for t in said if not ours(t)))
spoken = sum(1 for t in said if ours(t))
print(f"PASS: {len(said)} texts read in assembly mode, {spoken} of them in the game language; the same in every language: {neutral}")

# The cursor keys move the accessible focus with the cursor. With no window manager to do it, the
# window is given the keyboard as a click on it would give it, so that it is the active window.
window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(GAME_PID), "--class", "morvik"],
                        capture_output=True, text=True, timeout=10).stdout.split()
subprocess.run(["xdotool", "windowfocus", window[0]], check=True, timeout=10)
focus_action = tray.queryAction()
focus_names = [focus_action.getName(i).lower() for i in range(focus_action.nActions)]
focus_action.doAction(focus_names.index("setfocus"))
wait_for("the tray takes the focus without its cursor cell",
         lambda: cells[0].getState().contains(pyatspi.STATE_FOCUSED))
# What a screen reader hears: the focus moving to a cell, and the focused cell changing its name.
heard = []
def hear(event):
    heard.append((event.type, event.source.name if event.source else ""))
pyatspi.Registry.registerEventListener(hear, "object:state-changed:focused", "object:property-change:accessible-name")
# From Qt 6.8 the hand also says what it did, in an announcement.
qt = tuple(int(n) for n in app.get_toolkit_version().split(".")[:2])
announced = []
def hear_announcement(event):
    announced.append(str(event.any_data))
if qt >= (6, 8):
    pyatspi.Registry.registerEventListener(hear_announcement, "object:announcement")
def announces(what, test):
    context = GLib.MainContext.default()
    def arrived():
        while context.iteration(False):
            pass
        return any(test(a) for a in announced)
    wait_for(what, arrived)
def hears(what, event):
    context = GLib.MainContext.default()
    def arrived():
        while context.iteration(False):
            pass
        return event in heard
    wait_for(what, arrived)

pyatspi.Registry.generateKeyboardEvent(0xff53, None, pyatspi.KEY_SYM)  # Right
wait_for("the focus does not follow the cursor to the next cell",
         lambda: cells[1].getState().contains(pyatspi.STATE_FOCUSED)
         and not cells[0].getState().contains(pyatspi.STATE_FOCUSED))
hears("no focus event for the cursor cell", ("object:state-changed:focused", say("Column %1, row %2, piece", 1, 0)))
print(f"PASS: the focus follows the cursor: {cells[1].name!r}")
pyatspi.Registry.generateKeyboardEvent(0x20, None, pyatspi.KEY_SYM)  # Space
hears("the cursor cell picked empty does not say so", ("object:property-change:accessible-name", say("Column %1, row %2, empty", 1, 0)))
pyatspi.Registry.generateKeyboardEvent(0xff0d, None, pyatspi.KEY_SYM)  # Return
hears("the piece put back does not say so", ("object:property-change:accessible-name", say("Column %1, row %2, piece", 1, 0)))
wait_for("the piece put back leaves the hand full", lambda: hand.name == say("Hand: empty"))
pyatspi.Registry.deregisterEventListener(hear, "object:state-changed:focused", "object:property-change:accessible-name")
print("PASS: Space and Enter on the cursor cell pick its piece up and put it back, and it says so")
if qt >= (6, 8):
    announces("no announcement of the piece picked up",
              lambda a: re.fullmatch(say("Picked up the piece of column %1, row %2", "[0-9]", "[0-9]"), a) is not None)
    announces("no announcement of the piece put down", lambda a: a == say("Put the piece down"))
    pyatspi.Registry.deregisterEventListener(hear_announcement, "object:announcement")
    print(f"PASS: the hand announces what it did: {announced}")
else:
    print(f"Qt {qt[0]}.{qt[1]} has no announcements: none looked for")

for n, cell in enumerate(cells):
    press(cell)
    wait_for(f"tray cell {n} gives the hand no piece", lambda: hand.name != say("Hand: empty"))
    where = re.fullmatch(say("Hand: the piece of column %1, row %2", "([0-9])", "([0-9])"), hand.name)
    target = board.getChildAtIndex(10 * int(where[2]) + int(where[1]))
    if not cell_says(target.name, "empty"):
        sys.exit(f"FAIL: the board cell {target.name!r} is not empty")
    press(target)
    if n < 99:
        wait_for(f"board cell {target.name!r} takes no piece", lambda: cell_says(target.name, "piece"))
wait_for("the completed board brings no next picture", lambda: label() == [say("Picture %1", 2)])
wait_for("the next picture lies not shuffled in the tray",
         lambda: all(cell_says(c.name, "piece") for c in cells)
         and all(cell_says(board.getChildAtIndex(i).name, "empty") for i in range(100)))
second = say("Picture %1", 2)
print(f"PASS: a whole assembly game played through the accessibility bus; the number label reads {second!r}")
PY
  status=$?
  kill $game 2>/dev/null
  wait $game 2>/dev/null
  exit $status
'
