# SPDX-License-Identifier: MIT
"""Clicks and keys made during a long plot, some of them opening a box: each takes effect after
the plot, once and in the order made, and keys reach the box they were typed into."""

import os
import subprocess
import time

import harness
from harness import check, wait_for
from test_long_command import Cursors

LONG_N = "200000000"
FLOOD_N = "300000000"


class Held:
    """Real input aimed at screen places read while nothing runs."""

    def __init__(self, s, busy=None, started=None):
        self.s = s
        if busy is None:
            cursors = Cursors(s.display)
            waits = cursors.theme("wait") + cursors.theme("watch")
            check(waits, "the cursor theme has no wait cursor")
            busy = lambda: cursors.shown() in waits
        self.busy = busy
        self.started = started or busy
        self.places = {}

    def place(self, key, node):
        x, y, w, h = self.s.extents(node)
        check(w > 0 and h > 0, "%s has no place on screen" % key)
        self.places[key] = (x + w // 2, y + h // 2)

    def click(self, key):
        self.s.focus_window_at(*self.places[key])
        self.s.xdo("click", "1")

    def keys(self, *keys):
        self.s.xdo("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.s.xdo("type", "--delay", "20", "--", text)

    def start_plot(self):
        self.click("2D Time Series")
        wait_for(self.started, 10, 0.02, "the plot to start")


def edit_a_and_b(h):
    h.click("a")
    h.keys("ctrl+a")
    h.type("1.3")
    h.click("b")
    h.keys("End", "BackSpace")
    h.type("25")


# The click that opens a box, and the boxes that come once the plot has ended, in turn.
HISTOGRAM_BOXES = ["Input m", "Enter a valid number", "Enter maximum y", "Invalid value"]
BOX_OPENERS = [
    ("Print", ["Cannot print"]),
    ("Histogram", HISTOGRAM_BOXES),
    ("Maxium x", ["Specify Maxium x", "Invalid number"]),
]
INPUT_BOXES = {"Specify Maxium x", "Specify Maxium y", "Input m", "Enter maximum y"}


def place_cut_off(s, h):
    """The cut-off item shows only in its open menu."""
    h.place("Cut-off", s.menu_item(s.main, "Cut-off"))
    h.click("Cut-off")
    maxx = s.menu_item(s.main, "Maxium x")
    wait_for(lambda: s.showing(maxx), 5, what="the cut-off menu")
    h.place("Maxium x", maxx)
    h.keys("Escape")
    wait_for(lambda: not s.showing(maxx), 5, what="the cut-off menu to close")


def opener_then_edits(s, h, opener, boxes):
    """During a plot, a click that opens a box, then edits of a and b; a is 1.4 and b 0.3
    before and after."""
    print("held %s, then edits of a and b" % opener)
    h.start_plot()
    if opener == "Maxium x":
        h.click("Cut-off")
    h.click(opener)
    edit_a_and_b(h)
    check(h.busy(), "the plot ended before the input was made; %s cannot be checked" % opener)
    boxes_in_turn(s, boxes)
    wait_for(lambda: not h.busy(), 60, 0.1, "the end of the commands")
    want = {"a": "1.3", "b": "0.25"}
    # The last keys may still be on their way once the plot has ended.
    harness.settled(lambda: {n: s.box_text(n) for n in want}, lambda t: t, what="the boxes")
    for name, text in want.items():
        check(s.box_text(name) == text, "after %s: box %s reads %r, typed %r"
              % (opener, name, s.box_text(name), text))
    check(s.no_dialog(), "a box after %s" % opener)
    s.type_into("a", "1.4")
    s.type_into("b", "0.3")


def boxes_in_turn(s, expected):
    """Answers the boxes that come, checking each one's title or text in turn; input boxes are
    cancelled."""
    for want in expected:
        if want in INPUT_BOXES:
            s.answer_input(want, None, 90)
        else:
            text, dlg = s.wait_message(90)
            check(text.startswith(want), "message %r, expected %r next" % (text, want))
            s.press_button(dlg, "OK")
            s.wait_gone(dlg)


def flood(s, h):
    """Real clicks and keys, screen-reader actions and edits, interleaved during one plot."""
    s.type_into("N", FLOOD_N)
    # Found before the plot: a screen reader's questions are answered between its batches.
    x0, y0, maxy = s.text_box("x0"), s.text_box("y0"), s.menu_item(s.main, "Maxium y")
    h.start_plot()
    for _ in range(3):
        h.click("Clear")
    h.click("x0")
    h.keys("ctrl+a")
    h.type("0.1")
    x0.set_text_contents("0.2")
    h.click("x0")
    h.keys("End")
    h.type("5")
    h.click("Print")
    s.activate(maxy)
    h.click("Histogram")
    y0.set_text_contents("0.3")
    h.click("y0")
    h.keys("End")
    h.type("7")
    check(h.busy(), "the plot ended before the flood was made")
    boxes_in_turn(s, ["Cannot print", "Specify Maxium y", "Invalid number"] + HISTOGRAM_BOXES)
    wait_for(lambda: not h.busy(), 60, 0.1, "the end of the commands")
    for name, text in (("x0", "0.25"), ("y0", "0.37")):
        check(s.box_text(name) == text, "after the flood: box %s reads %r, made %r"
              % (name, s.box_text(name), text))
    check(s.no_dialog(), "a box after the flood")
    s.type_into("x0", "0.5")
    s.type_into("y0", "0.5")


def held_clicks(s, h):
    """Clicks alone: a box-opening one, many after it, and one whose box must come second."""
    s.type_into("N", LONG_N)
    h.start_plot()
    h.click("Print")
    s.move_pointer(*h.places["Clear"])
    s.xdo("click", "--repeat", "40", "--delay", "15", "1")
    h.click("N")
    h.keys("End")
    h.type("x")
    h.click("2D Time Series")
    check(h.busy(), "the plot ended before the clicks were made")
    boxes_in_turn(s, ["Cannot print", "Please enter valid numerical values."])
    wait_for(lambda: not h.busy(), 60, 0.1, "the end of the commands")
    check(s.no_dialog(), "a box after the held clicks")
    s.type_into("N", "1000")


def busy_loops(s):
    """Processes that keep the processors busy beside the program, as many as asked for."""
    for _ in range(int(os.environ.get("HENON_E2E_BUSY", "0"))):
        s.services.add(subprocess.Popen(["timeout", "600", "sh", "-c", "while :; do :; done"]))


def held_input(s):
    busy_loops(s)
    s.start_app()
    s.choose("2D Time Series", "1D Time Series")
    wid = wait_for(lambda: s.xwindow("1D Time Series"), 10, what="the 1D window")
    # The two windows side by side, each menu in reach of the pointer.
    s.xdo("windowsize", "--sync", str(s.xwindow("2D Time Series")), "1200", "400")
    s.xdo("windowmove", "--sync", str(wid), "0", "500")
    time.sleep(0.3)
    h = Held(s)
    for caption in ("2D Time Series", "Print", "Clear"):
        h.place(caption, s.menu_item(s.main, caption))
    h.place("Histogram", s.menu_item(s.window("1D Time Series"), "Histogram"))
    for name in ("a", "b", "x0", "y0", "N"):
        h.place(name, s.text_box(name))
    place_cut_off(s, h)
    s.type_into("N", LONG_N)

    for opener, boxes in BOX_OPENERS:
        opener_then_edits(s, h, opener, boxes)
    flood(s, h)
    held_clicks(s, h)


if __name__ == "__main__":
    harness.run(held_input)
