"""Starts ./morvik RUNS times and ends it each time by pressing its Close button over AT-SPI; prints
how long each took to end, from the press to the process gone, and when its audio device closed.
Run by bench/exit_under_weston.sh, inside a D-Bus session, with the display set."""
import os
import subprocess
import sys
import threading
import time

import pyatspi

LIMIT = 2.0


def find_close(pid):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                found = pyatspi.findDescendant(app, lambda o: o.name == "Close" and o.getRoleName() in ("push button", "button"))
                if found is not None:
                    return found
        time.sleep(0.1)
    return None


def press(node):
    action = node.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    action.doAction(names.index("press") if "press" in names else names.index("click"))


def one_run(n, work):
    pipe = os.path.join(work, "audio-%d" % n)
    os.mkfifo(pipe)
    closed = {}

    def drain():
        # Opened for reading only: the read that returns nothing is the device closing the pipe.
        with open(pipe, "rb", buffering=0) as audio:
            while audio.read(65536):
                pass
        closed["at"] = time.monotonic()

    reader = threading.Thread(target=drain, daemon=True)
    reader.start()
    env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=pipe)
    errors = open(os.path.join(work, "game-%d.err" % n), "w+")
    game = subprocess.Popen(["./morvik"], env=env, stderr=errors)
    close = find_close(game.pid)
    if close is None:
        game.kill()
        game.wait()
        return None, ["the Close button never showed up on the accessibility bus"], ""
    time.sleep(1.5)  # the song plays for a moment
    pressed = time.monotonic()
    press(close)
    try:
        status = game.wait(timeout=30)
    except subprocess.TimeoutExpired:
        game.kill()
        game.wait()
        return None, ["still running 30 s after the press"], ""
    took = time.monotonic() - pressed
    reader.join(timeout=5)
    errors.seek(0)
    faults = [] if took <= LIMIT else ["more than %.1f s" % LIMIT]
    if status != 0:
        faults.append("exit status %d" % status)
    if "at" not in closed:
        faults.append("the audio device was never closed")
    elif closed["at"] - pressed > took:
        faults.append("the audio device closed after the exit")
    text = errors.read()
    if text and not text.endswith("\n"):
        faults.append("a line on stderr is cut off")
    audio = "audio closed %.3f s after the press" % (closed["at"] - pressed) if "at" in closed else ""
    return took, faults, audio


def main():
    runs, work = int(sys.argv[1]), sys.argv[2]
    times, failed = [], 0
    for n in range(1, runs + 1):
        took, faults, audio = one_run(n, work)
        failed += bool(faults)
        print("run %2d: %s  %s" % (n, "%.3f s" % took if took is not None else "  --   ",
                                   "FAIL: " + "; ".join(faults) if faults else audio), flush=True)
        if took is not None:
            times.append(took)
    times.sort()
    if times:
        print("ended within %.1f s: %d of %d; median %.3f s, slowest %.3f s"
              % (LIMIT, runs - failed, runs, times[len(times) // 2], times[-1]))
    sys.exit(1 if failed else 0)


main()
