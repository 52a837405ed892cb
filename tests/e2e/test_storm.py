# SPDX-License-Identifier: MIT
"""The time series and the histogram drawn while the time-series window is resized, moved and
grown to the screen, and a box is set through the accessibility interface: both panels come out pixel for
pixel as in a run left alone."""

import random
import time

import harness
from harness import check, wait_for
from test_long_command import Cursors

# Part of the attractor, a long orbit: each command runs for seconds.
PARAMS = {"xbl": "0.5", "ybl": "0.15", "xtr": "0.7", "ytr": "0.22"}
LONG_N = "30000000"
COUNT_N = "250000000"


def client(s, title):
    """The drawing area of a window, in screen pixels, raised above the others."""
    wait_for(lambda: s.window(title), 10, what="window %r" % title)
    s.xdo("windowraise", str(s.xwindow(title)))
    time.sleep(0.3)
    x, y, w, h = s.extents(s.drawing_area(title))
    return (x, y, x + w, y + h)


def run(s, storm):
    """Both commands once, with or without a storm; the two pictures as grabbed afterwards."""
    s.start_app()
    for name, text in PARAMS.items():
        s.type_into(name, text)
    s.type_into("N", "1000")
    one_d = s.extents(s.menu_item(s.main, "1D Time Series"))
    s.choose("2D Time Series", "1D Time Series")
    wid = wait_for(lambda: s.xwindow("1D Time Series"), 10, what="the 1D window")
    geometry = s.geometry(wid)

    def set_box(name, text):
        # The main window may lie under the others: through the accessibility interface.
        s.text_box(name).set_text_contents(text)
        wait_for(lambda: s.box_text(name) == text, 5, what="%s to read %s" % (name, text))
    cursors = Cursors(s.display)
    middle = (geometry[0] + geometry[2] // 2, geometry[1] + geometry[3] // 2)
    s.move_pointer(*middle)
    # The theme's wait cursor, which may be animated; else anything but the pointer at rest.
    waits = cursors.theme("wait") + cursors.theme("watch")
    time.sleep(0.5)
    idle = cursors.shown()
    busy = (lambda: cursors.shown() in waits) if waits else (lambda: cursors.shown() != idle)
    rng = random.Random(19)

    def command(title, item, answers=(), quiet=False):
        started = time.monotonic()
        if item == "1D Time Series":
            # A click, which returns at once, where a screen reader's action would wait.
            s.xdo("windowactivate", "--sync", str(s.xwindow("2D Time Series")))
            x, y, w, h = one_d
            s.focus_window_at(x + w // 2, y + h // 2)
            s.xdo("click", "1")
        else:
            s.choose(title, item)
        for prompt, answer in answers:
            s.answer_input(prompt, answer)
        s.move_pointer(*middle)
        if item != "Histogram":
            wait_for(busy, 10, 0.02, "the start of %r" % item)
        if storm and not quiet:
            # Resizes, moves and maximizes of the time-series window while the command runs;
            # the box "a" set to 1.3 through the accessibility interface a second in.
            time.sleep(0.3)
            for step in range(12):
                if step % 3 == 2:  # as large as the screen, as a maximize makes it
                    s.xdo("windowsize", str(wid), str(s.width), str(s.height))
                elif step % 3:
                    s.xdo("windowmove", str(wid), str(rng.randint(0, 300)), str(rng.randint(0, 200)))
                else:
                    s.xdo("windowsize", str(wid), str(rng.randint(300, 1200)),
                          str(rng.randint(200, 900)))
                if step == 3 and item == "1D Time Series":
                    s.text_box("a").set_text_contents("1.3")
                time.sleep(0.15)
            # Smaller than it was, over the pointer, until the command ends.
            s.xdo("windowmove", "--sync", str(wid), str(geometry[0]), str(geometry[1]))
            s.xdo("windowsize", "--sync", str(wid), str(geometry[2] - 200), str(geometry[3] - 150))
        # The command has ended when the pointer over its windows is no longer the wait cursor,
        # and the histogram's when its window shows.
        s.move_pointer(*middle)
        wait_for(lambda: not busy(), 120, 0.1, "the end of %r" % item)
        if item == "Histogram":
            wait_for(lambda: s.window("Histogram"), 120, 0.1, "the histogram window")
        if storm and not quiet:
            # Back as it was, as the undisturbed run has it.
            s.xdo("windowsize", "--sync", str(wid), str(geometry[2]), str(geometry[3]))
            wait_for(lambda: s.geometry(wid)[2:] == geometry[2:], 10, what="the window restored")
        return time.monotonic() - started

    set_box("N", LONG_N)
    took = command("2D Time Series", "1D Time Series")
    if storm:
        check(s.box_text("a") == "1.3", "the edit made during the command was lost")
        set_box("a", "1.4")
    # The histogram counts the orbit the last command read: a longer one, read by a 2D plot.
    set_box("N", COUNT_N)
    command("1D Time Series", "2D Time Series", quiet=True)
    took2 = command("1D Time Series", "Histogram", (("Input m", "50"), ("Enter maximum y", "2000000")))
    wait_for(lambda: s.window("Histogram"), 60, 0.2, "the histogram window")
    check(s.no_dialog(1.0), "a message box after the commands")
    if storm:
        print("storm: 1D %.1f s, histogram %.1f s" % (took, took2))
    pictures = {}
    for title in ("1D Time Series", "Histogram"):
        box = client(s, title)
        pictures[title] = s.grab().crop(box)
    s.services.stop(s.app_proc)
    return pictures


def storm(s):
    quiet = run(s, storm=False)
    stormy = run(s, storm=True)
    for title in quiet:
        a, b = quiet[title], stormy[title]
        check(a.size == b.size, "%s: %r after the storm, %r left alone" % (title, b.size, a.size))
        if list(a.getdata()) != list(b.getdata()):
            from PIL import ImageChops
            a.save("/tmp/henon-e2e-storm-quiet.png")
            b.save("/tmp/henon-e2e-storm-stormy.png")
            raise AssertionError("%s differs after the storm in %r" % (
                title, ImageChops.difference(a, b).getbbox()))


if __name__ == "__main__":
    harness.run(storm)
