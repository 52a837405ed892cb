# SPDX-License-Identifier: MIT
"""Start-up: the main window alone at its place, the default texts in its boxes, nothing drawn.

Runs under the window manager and, with HENON_E2E_WM=none, on a bare X server, where a window
manager is started afterwards."""

import harness
from harness import DEFAULTS, check, wait_for


def startup(s):
    s.start_app()
    titles = [(s.name(w), s.role(w)) for w in s.top_levels() if s.showing(w)]
    check(titles == [("2D Time Series", s.Role.FRAME)], "showing at start-up: %r" % titles)
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
    # Each box says what it holds, to a screen reader and as a tool tip under a resting pointer
    # (in the active window only, and none is active on a bare server).
    hints = {name: s.text_box(name).get_description() for name in DEFAULTS}
    check(len(set(hints.values())) == 9 and all(len(h) > len(n) + 10 for n, h in hints.items())
          and hints["xbl"] == "left edge of the view window: x at its bottom-left corner"
          and hints["N"] == "number of iterations", "box descriptions %r" % hints)
    for name, hint in hints.items() if s.wm else ():
        x, y, w, h = s.extents(s.text_box(name))
        s.focus_window_at(x + w // 2, y + h // 2)
        wait_for(lambda: s.tool_tip() == hint, 5, what="the tool tip of box %s" % name)
    area = s.drawing_area("2D Time Series")
    check("orbit" in area.get_description(), "the drawing area is described as %r"
          % area.get_description())
    captions = [s.name(n) for n in s.walk(s.main, 4) if s.role(n) == s.Role.MENU_ITEM]
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
    s.choose("2D Time Series", "1D Time Series")
    for title in ("2D Time Series", "1D Time Series"):
        w = wait_for(lambda: s.xwindow(title), 10, what="window %r" % title)
        wait_for(lambda: s.frame_extents(w)[2] > 0 and
                 s.outer_geometry(w) == harness.expected_outer(s), 10,
                 what="%r framed at %r" % (title, harness.expected_outer(s)))


if __name__ == "__main__":
    harness.run(startup)
