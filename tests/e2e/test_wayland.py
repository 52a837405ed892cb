# SPDX-License-Identifier: MIT
"""On Wayland (weston, at the scale HENON_E2E_SCALE names): start-up with the defaults, a plot
and the cut-off message by real clicks, a click made during a long plot that waits for its end,
keys typed after a held box-opening click, and Exit during a long plot."""

import subprocess
import time

import harness
import wayland
from harness import DEFAULTS, check, interior
from test_held_input import BOX_OPENERS, Held, opener_then_edits, place_cut_off

# A tiny view on the attractor: a few hundred points a second land in it, so the picture keeps
# growing for as long as the plot runs, ten seconds or so here.
LONG = {"xbl": "0.5858", "ybl": "0.1809", "xtr": "0.586", "ytr": "0.181", "N": "1000000000"}


def picture(s, box):
    return harness.settled(s.grab, lambda im: harness.count_dark(im, box))


def wayland_(s):
    s.start_app()
    frame = s.frame_rect()
    inner = interior(frame)

    # Start-up: the main window alone, inside weston's output, the defaults, nothing drawn.
    titles = [(s.name(w), s.role(w)) for w in s.top_levels() if s.showing(w)]
    check(titles == [("2D Time Series", s.Role.FRAME)], "showing at start-up: %r" % titles)
    x, y, w, h = s.extents(s.main)
    check(s.output_at[0] <= x and x + w <= s.output_at[0] + wayland.OUTPUT[0] and
          s.output_at[1] <= y and y + h <= s.output_at[1] + wayland.OUTPUT[1],
          "the client area %r is not inside weston's output" % ((x, y, w, h),))
    for name, text in DEFAULTS.items():
        check(s.box_text(name) == text, "box %s reads %r" % (name, s.box_text(name)))
    whole = (frame[0] - 60, frame[1] - 30, frame[2] + 40, frame[3] + 30)
    check(harness.count_dark(s.grab(), whole) == 0, "the plot area is not empty at start-up")
    check(s.no_dialog(), "a message box opened at start-up")

    # The phase portrait, by a click on its menu item.
    s.click_item("2D Time Series")
    img = picture(s, inner)
    check(harness.axes_drawn(img, frame), "no axes along the frame's left and bottom edges")
    points = harness.dark_pixels(img, inner)
    check(len(points) > 500, "only %d dark pixels inside the frame" % len(points))
    near = harness.attractor_pixels((-2, -1, 2, 1), frame)
    stray = [p for p in points if p not in near]
    check(len(stray) <= len(points) // 100,
          "%d of %d points lie off the attractor, e.g. %r" % (len(stray), len(points), stray[:5]))
    check(s.no_dialog(), "the default plot showed a message box")

    # An orbit that escapes at once: the cut-off message, the axes and no point.
    s.type_into("x0", "10")
    s.click_item("2D Time Series")
    s.answer_message("An overflow has occured. Only points up to 1 are ploted.")
    check(s.no_dialog(), "a second message after the cut-off stop")
    img = picture(s, inner)
    check(harness.axes_drawn(img, frame), "the axes are gone after the cut-off stop")
    check(harness.count_dark(img, inner) == 0, "a point was drawn for an escaping orbit")
    s.type_into("x0", "0.5")

    # A click on Clear during a long plot: the picture grows on after it, and is wiped only
    # once the plot has ended.
    for name, text in LONG.items():
        s.type_into(name, text)
    items = {c: s.extents(s.menu_item(s.main, c)) for c in ("2D Time Series", "Clear", "Exit",
                                                             "1D Time Series")}

    def click(caption):
        x, y, w, h = items[caption]
        s.click_at(x + w // 2, y + h // 2)
    click("2D Time Series")
    # weston shows a new frame of the growing picture every few tenths of a second.
    counts = [0]
    started = time.monotonic()
    while len(set(counts)) < 3 and time.monotonic() - started < 60:
        time.sleep(0.1)
        counts.append(harness.count_dark(s.grab(), inner))
    check(len(set(counts)) == 3 and counts == sorted(counts),
          "the picture did not grow while the plot ran: %r" % counts)
    click("Clear")
    seen = [counts[-1]]
    while seen[-1] and time.monotonic() - started < 200:
        time.sleep(0.1)
        seen.append(harness.count_dark(s.grab(), inner))
    drawn = seen[:-1]
    check(seen[-1] == 0, "the picture was never wiped: %r" % seen[-5:])
    check(drawn == sorted(drawn), "the picture shrank while the plot ran: %r" % drawn)
    check(max(drawn) > counts[-1], "the plot ended before the click on Clear could be checked")
    check(harness.count_dark(picture(s, inner), inner) == 0,
          "the plot drew on after Clear: Clear ran inside it")
    check(s.box_text("N") == LONG["N"], "the long plot stopped early")
    check(s.no_dialog(), "a message box after the long plot")

    # During a long plot, a click that opens a box, then edits typed into a and b: the box
    # comes after the plot, the keys reach the boxes they were typed into. Histogram stays out:
    # its window is where weston puts it, and a Wayland client cannot tell where that is.
    # The largest N: some ten seconds of plot, for the input to be made in.
    s.type_into("N", "2147483647")
    s.type_into("a", "1.4")
    s.type_into("b", "0.3")
    # Until the boxes take the edits, nothing ran of what was held.
    h = Held(s, busy=lambda: not s.dialogs() and s.box_text("a") != "1.3",
             started=lambda: harness.count_dark(s.grab(), inner) > 0)
    for caption in ("2D Time Series", "Print"):
        h.place(caption, s.menu_item(s.main, caption))
    for name in ("a", "b"):
        h.place(name, s.text_box(name))
    place_cut_off(s, h)
    # weston drops a click that comes with the pointer's entry into the window.
    s.move_pointer(*h.places["a"])
    time.sleep(0.3)
    for opener, boxes in BOX_OPENERS:
        if opener != "Histogram":
            opener_then_edits(s, h, opener, boxes)
    s.park()

    # Exit during a long plot, then another command: the plot ends, and with it the program;
    # the command chosen after Exit never runs.
    for caption in ("2D Time Series", "Exit", "1D Time Series"):
        click(caption)
        time.sleep(0.5)
    check(s.app_proc.poll() is None, "the plot ended before Exit was chosen")
    started = time.monotonic()
    while s.app_proc.poll() is None and time.monotonic() - started < 200:
        check(s.window("1D Time Series") is None, "a command chosen after Exit ran")
        time.sleep(0.2)
    try:
        code = s.app_proc.wait(1)
    except subprocess.TimeoutExpired:
        raise AssertionError("henon still runs %.0f s after Exit" % (time.monotonic() - started))
    check(code == 0, "henon exited with %s" % code)


if __name__ == "__main__":
    wayland.run(wayland_)
