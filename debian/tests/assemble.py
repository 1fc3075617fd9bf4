#!/usr/bin/python3
"""Plays one assembly game of the running Morvik window through the X server, as a player would:
mouse clicks only, pieces told apart by the pixels on the screen. Then ends the game with its "x".

Which piece belongs where is not shown on the screen, so it is learnt first: every click on the
assembling button starts a new game of the same picture, and a shuffle leaves a piece on its own
tray cell far more often than on any given other cell. Over enough shuffles the picture each cell
shows most often is its own piece. The last shuffle is then solved by carrying every piece to the
board cell it was learnt for; a finished board starts the next picture at once, with an empty board
and a tray of new pieces.
"""
import collections
import sys
import time

from Xlib import X, display
from Xlib.ext import xtest

# The window, and within its one-pixel black edge the client area where every control is placed.
WIDTH, HEIGHT = 612, 417
TRAY, BOARD, TOP, PITCH = 32, 344, 112, 24
ASSEMBLING, CLOSE = (448, 380), (597, 10)


def fail(message):
    sys.exit("FAIL: " + message)


class Game:
    def __init__(self):
        self.display = display.Display()
        self.root = self.display.screen().root
        self.window = self.find_window()
        origin = self.root.translate_coords(self.window, 0, 0)
        self.x, self.y = origin.x + 1, origin.y + 1

    def find_window(self):
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            for window in self.root.query_tree().children:
                try:
                    wm_class = window.get_wm_class() or ()
                    mapped = window.get_attributes().map_state == X.IsViewable
                    size = window.get_geometry()
                except Exception:  # a window that went away while being looked at
                    continue
                if "morvik" in wm_class and mapped and (size.width, size.height) == (WIDTH, HEIGHT):
                    return window
            time.sleep(0.2)
        fail("no morvik window of %dx%d appeared" % (WIDTH, HEIGHT))

    def click(self, at, pause=0.02):
        xtest.fake_input(self.display, X.MotionNotify, x=self.x + at[0], y=self.y + at[1])
        xtest.fake_input(self.display, X.ButtonPress, 1)
        xtest.fake_input(self.display, X.ButtonRelease, 1)
        self.display.sync()
        time.sleep(pause)

    def grid(self, left):
        """The 100 cells of the tray or the board, each as the bytes of its pixels."""
        image = self.root.get_image(self.x + left, self.y + TOP, 10 * PITCH, 10 * PITCH,
                                    X.ZPixmap, 0xFFFFFF).data
        row = 10 * PITCH * 4
        return [b"".join(image[(r * PITCH + y) * row + c * PITCH * 4:(r * PITCH + y) * row + (c + 1) * PITCH * 4]
                         for y in range(PITCH))
                for r in range(10) for c in range(10)]

    def settled(self, left, unlike=None, timeout=10):
        """The grid once it has stopped changing, and differs from `unlike`."""
        deadline = time.monotonic() + timeout
        last = None
        while time.monotonic() < deadline:
            now = self.grid(left)
            if now == last and now != unlike:
                return now
            last = now
            time.sleep(0.05)
        fail("the %s did not settle" % ("tray" if left == TRAY else "board"))


def cell(left, n):
    return (left + PITCH * (n % 10) + PITCH // 2, TOP + PITCH * (n // 10) + PITCH // 2)


def learn(game, rounds_at_most=1000):
    """Shuffles until every cell's most frequent picture stands well out, each picture the most
    frequent on one cell only; returns the last shuffle and the home cell of every picture."""
    seen = [collections.Counter() for _ in range(100)]
    tray = None
    for rounds in range(1, rounds_at_most + 1):
        game.click(ASSEMBLING, pause=0)
        tray = game.settled(TRAY, unlike=tray)
        if len(set(tray)) != 100:
            fail("two tray cells show the same picture; the pieces cannot be told apart")
        for n, picture in enumerate(tray):
            seen[n][picture] += 1
        if rounds % 50:
            continue
        # A piece stays on its own cell in about one shuffle of seven, and lands on any given
        # other cell in about one of a hundred.
        home = {}
        for n in range(100):
            (best, count), (_, other) = (seen[n].most_common(2) + [(None, 0)])[:2]
            if count >= 10 and count >= 2 * other:
                home[best] = n
        if len(home) == 100:
            print("learnt the picture in %d shuffles" % rounds)
            return tray, home
    fail("the picture was not learnt in %d shuffles" % rounds_at_most)


def main():
    game = Game()
    tray, home = learn(game)
    board = game.settled(BOARD)
    for n, picture in enumerate(tray):
        game.click(cell(TRAY, n))
        game.click(cell(BOARD, home[picture]))
    # The next picture: the board empty again, the tray full of pieces never seen before.
    after = game.settled(TRAY, unlike=tray)
    if game.settled(BOARD) != board:
        fail("the board is not empty after the last piece")
    known = sum(picture in home for picture in after)
    if known:
        fail("%d tray cells still show pieces of the finished picture" % known)
    print("PASS: all 100 pieces carried to the board; the next picture started")
    game.click(CLOSE)


if __name__ == "__main__":
    main()
