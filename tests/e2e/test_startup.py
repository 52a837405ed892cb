# SPDX-License-Identifier: MIT
"""Start-up: the main window alone at its place, the default texts in its boxes, nothing drawn.

Runs under the window manager and, with HENON_E2E_WM=none, on a bare X server, where a window
manager is started afterwards."""

import harness
from harness import DEFAULTS, check, wait_for


HINTS = {
    "a": "map constant a: the next x is 1 + y minus a times x squared",
    "b": "map constant b: the next y is b times x",
    "x0": "start point of the orbit: its x",
    "y0": "start point of the orbit: its y",
    "xbl": "left edge of the view window: x at its bottom-left corner",
    "ybl": "bottom edge of the view window: y at its bottom-left corner",
    "xtr": "right edge of the view window: x at its top-right corner",
    "ytr": "top edge of the view window: y at its top-right corner",
    "N": "number of iterations",
}


def startup(s):
    s.start_app()
    titles = [(s.name(w), s.role(w)) for w in s.top_levels() if s.showing(w)]
    check(titles == [("2D Time Series", "frame")], "showing at start-up: %r" % titles)
    check(s.window("1D Time Series") is None and s.window("Histogram") is None,
          "a second window is visible at start-up")
    # The caption a window manager shows is the bare caption, with nothing appended.
    check(s.xwindow("2D Time Series") is not None, "no X window captioned exactly 2D Time Series")
    check(s.xwindow("1D Time Series") is None and s.xwindow("Histogram") is None,
          "a second X window is mapped at start-up")
    # The outer frame at its place; on a bare X server the client area is all there is.
    wid = s.xwindow("2D Time Series")
    outer = s.outer_geometry(wid)
    check(outer == harness.expected_outer(s),
          "frame at %r, expected %r" % (outer, harness.expected_outer(s)))
    if s.wm:
        check(s.frame_extents(wid)[2] > 0, "the window manager put no title bar on the window")
    else:
        check(s.geometry(wid) == outer, "client area %r on a bare server" % (s.geometry(wid),))
    for name, text in DEFAULTS.items():
        check(s.box_text(name) == text, "box %s reads %r, expected %r" % (name, s.box_text(name), text))
    # The boxes sit in one row, left to right in parameter order.
    xs = [s.extents(s.text_box(name))[0] for name in DEFAULTS]
    check(xs == sorted(xs), "boxes out of order: %r" % xs)
    # Each box says what it holds, to a screen reader and as a tool tip under a resting pointer.
    for name, hint in HINTS.items():
        box = s.text_box(name)
        check(box.get_description() == hint,
              "box %s described as %r, expected %r" % (name, box.get_description(), hint))
        if not s.wm:
            continue  # Qt shows tool tips in the active window, and none is active on a bare server
        x, y, w, h = s.extents(box)
        s.focus_window_at(x + w // 2, y + h // 2)
        wait_for(lambda: s.tool_tip() == hint, 5,
                 what="the tool tip %r over box %s, showing %r" % (hint, name, s.tool_tip()))
    area = s.drawing_area("2D Time Series")
    check("orbit" in area.get_description(), "the drawing area is described as %r"
          % area.get_description())
    captions = [s.name(n) for n in s.walk(s.main, 4) if s.role(n) == "menu item"]
    check(captions[:9] == ["2D Time Series", "1D Time Series", "Cut-off", "Maxium x", "Maxium y",
                           "Minimun x", "Minimun y", "Print", "Clear"] and captions[-1] == "Exit",
          "menu captions %r" % captions)
    img = s.grab()
    frame = s.frame_rect()
    check(harness.count_dark(img, (frame[0] - 60, frame[1] - 30, frame[2] + 40, frame[3] + 30)) == 0,
          "the plot area is not empty at start-up")
    check(s.no_dialog(), "a message box opened at start-up")
    if s.wm:
        return
    # A window manager started afterwards: each window is placed again, once, inside its frame,
    # the hidden time-series window too.
    s.start_wm()
    wait_for(lambda: s.frame_extents(wid)[2] > 0, 10, what="a title bar on the main window")
    wait_for(lambda: s.outer_geometry(wid) == harness.expected_outer(s), 10,
             what="the frame at %r, now %r" % (harness.expected_outer(s), s.outer_geometry(wid)))
    s.choose("2D Time Series", "1D Time Series")
    series = wait_for(lambda: s.xwindow("1D Time Series"), 10, what="the time-series window")
    wait_for(lambda: s.frame_extents(series)[2] > 0, 10, what="a title bar on the 1D window")
    check(s.outer_geometry(series) == harness.expected_outer(s),
          "1D window frame at %r, expected %r" % (s.outer_geometry(series), harness.expected_outer(s)))


if __name__ == "__main__":
    harness.run(startup)
