# SPDX-License-Identifier: MIT
"""Dragging over the plot writes a new view window into the boxes; the next plot shows it."""

import re

import harness
from harness import check, interior, attractor_pixels, dark_pixels

FORM = re.compile(r"^-?\d{1,4}\.\d{4}$")


def to_map(s, sx, sy, view):
    """What the program should write for a pointer at screen (sx, sy)."""
    xbl, ybl, xtr, ytr = view
    x, y, w, h = s.plot_area()
    cx, cy = sx - x, sy - y
    left, right, top, bottom = 0.08 * w, 0.95 * w, 0.15 * h, 0.95 * h
    return (xtr - (right - cx) * (xtr - xbl) / (right - left),
            ybl - (bottom - cy) * (ybl - ytr) / (bottom - top))


def boxes(s):
    return {name: s.box_text(name) for name in ("xbl", "ybl", "xtr", "ytr")}


def expect_boxes(s, expected, what):
    def match():
        got = boxes(s)
        for name, value in expected.items():
            if not FORM.match(got[name]) or abs(float(got[name]) - value) > 1.1e-4:
                return False
        return True
    try:
        harness.wait_for(match, 5, what=what)
    except AssertionError:
        raise AssertionError("%s: boxes %r, expected %r" % (what, boxes(s), expected))


def zoom(s):
    s.start_app()
    frame = s.frame_rect()
    inner = interior(frame)
    view = (-2.0, -1.0, 2.0, 1.0)
    s.choose("2D Time Series", "2D Time Series")
    harness.settled(s.grab, lambda im: harness.count_dark(im, inner))
    wid = s.xwindow("2D Time Series")
    s.xdo("windowfocus", "--sync", str(wid))

    left, top, right, bottom = [int(v) for v in frame]
    # Upper-left and lower-right corners around the right half of the attractor.
    x1 = left + (right - left) * 9 // 20
    y1 = top + (bottom - top) * 3 // 10
    x2 = left + (right - left) * 33 // 40
    y2 = top + (bottom - top) * 7 // 10

    # Moving with no button held writes nothing.
    before = boxes(s)
    s.move_pointer(x1 + 40, y1 + 40)
    s.move_pointer(x1, y1)
    check(s.no_dialog(0.3) and boxes(s) == before, "a plain move changed the boxes: %r" % boxes(s))

    # The right button writes the corner it is pressed at; dragging with it writes nothing.
    s.move_pointer(x2, y1)
    s.xdo("mousedown", "3")
    rx, ry = to_map(s, x2, y1, view)
    expect_boxes(s, {"xbl": rx, "ytr": ry}, "right-button press")
    s.move_pointer(x2 - 30, y1 + 30)
    s.xdo("mouseup", "3")
    check(boxes(s)["xtr"] == "2" and boxes(s)["ybl"] == "-1",
          "a right-button drag wrote the lower-right corner: %r" % boxes(s))
    s.xdo("windowfocus", "--sync", str(wid))

    # The left-button drag from upper left to lower right.
    s.move_pointer(x1, y1)
    s.xdo("mousedown", "1")
    xbl, ytr = to_map(s, x1, y1, view)
    expect_boxes(s, {"xbl": xbl, "ytr": ytr}, "left-button press")
    s.move_pointer((x1 + x2) // 2, (y1 + y2) // 2)
    s.move_pointer(x2, y2)
    xtr, ybl = to_map(s, x2, y2, view)
    expect_boxes(s, {"xbl": xbl, "ytr": ytr, "xtr": xtr, "ybl": ybl}, "left-button drag")
    s.xdo("mouseup", "1")
    # Releasing the button and moving on leaves the corners as they are.
    written = boxes(s)
    s.move_pointer(x2 + 25, y2 + 25)
    check(s.no_dialog(0.3) and boxes(s) == written, "a move after the release changed the boxes")

    # The next plot reads the boxes and draws the chosen region, which fills the frame.
    new_view = tuple(float(written[k]) for k in ("xbl", "ybl", "xtr", "ytr"))
    s.choose("2D Time Series", "2D Time Series")
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, inner))
    check(s.no_dialog(), "the zoomed plot showed a message box")
    check(harness.axes_drawn(img, frame), "the zoomed plot has no axes")
    points = dark_pixels(img, inner)
    check(len(points) > 200, "only %d points in the zoomed plot" % len(points))
    near = attractor_pixels(new_view, frame)
    stray = [p for p in points if p not in near]
    check(len(stray) <= len(points) // 100,
          "%d of %d zoomed points lie off the attractor" % (len(stray), len(points)))
    xs = [p[0] for p in points]
    check(max(xs) - min(xs) > 0.6 * (right - left), "the zoomed orbit does not spread over the frame")

    # A drag along one pixel row, then one along one column: an empty view, refused by the plot.
    for dx, dy, same in ((150, 0, ("ybl", "ytr")), (0, 120, ("xbl", "xtr"))):
        s.xdo("windowfocus", "--sync", str(wid))
        s.move_pointer(x1, y1)
        s.xdo("mousedown", "1")
        s.move_pointer(x1 + dx // 2, y1 + dy // 2)
        s.move_pointer(x1 + dx, y1 + dy)
        s.xdo("mouseup", "1")
        harness.wait_for(lambda: boxes(s)[same[0]] == boxes(s)[same[1]], 5,
                         what="%s to read as %s after the drag: %r" % (same[0], same[1], boxes(s)))
        s.choose("2D Time Series", "2D Time Series")
        s.answer_message("Invalid parameter value")
        for name, text in written.items():
            s.type_into(name, text)


if __name__ == "__main__":
    harness.run(zoom)
