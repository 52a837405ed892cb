# SPDX-License-Identifier: MIT
"""Three fivefold drags near the limit of double precision, each plotted in the real window."""

import re

import harness
from harness import check, interior

# The map's fixed point, where an orbit started on it stays for a few steps at any depth.
FX, FY = "0.6313544770895048", "0.18940634312685144"
FIXED = re.compile(r"^-?\d+\.\d+$")


def to_map(frame, sx, sy, view):
    xbl, ybl, xtr, ytr = view
    left, top, right, bottom = frame
    return (xtr - (right - sx) * (xtr - xbl) / (right - left),
            ybl - (bottom - sy) * (ybl - ytr) / (bottom - top))


def view_of(s):
    return tuple(float(s.box_text(name)) for name in ("xbl", "ybl", "xtr", "ytr"))


def deep_zoom(s):
    s.start_app()
    # A view 1.3e-11 wide around the fixed point; three drags take it to 1e-13.
    for name, text in (("x0", FX), ("y0", FY), ("xbl", "0.6313544770828548"),
                       ("xtr", "0.6313544770961548"), ("ybl", "0.1894063431202014"),
                       ("ytr", "0.1894063431335014")):
        s.type_into(name, text)
    frame = s.frame_rect()
    inner = interior(frame)
    left, top, right, bottom = frame
    s.choose("2D Time Series", "2D Time Series")
    check(s.no_dialog(), "the typed deep view showed a message box")
    wid = s.xwindow("2D Time Series")

    for zoom in range(1, 4):
        view = view_of(s)
        x1, y1 = int(round(left + 0.4 * (right - left))), int(round(top + 0.4 * (bottom - top)))
        x2, y2 = int(round(left + 0.6 * (right - left))), int(round(top + 0.6 * (bottom - top)))
        s.xdo("windowfocus", "--sync", str(wid))
        s.move_pointer(x1, y1)
        s.xdo("mousedown", "1")
        s.move_pointer((x1 + x2) // 2, (y1 + y2) // 2)
        s.move_pointer(x2, y2)
        s.xdo("mouseup", "1")

        # Every corner within about a pixel of the pointer, however many decimals that takes.
        pixel_x = (view[2] - view[0]) / (right - left)
        pixel_y = (view[3] - view[1]) / (bottom - top)
        expected = dict(zip(("xbl", "ytr"), to_map(frame, x1, y1, view)))
        expected.update(zip(("xtr", "ybl"), to_map(frame, x2, y2, view)))

        def written():
            for name, value in expected.items():
                text = s.box_text(name)
                pixel = pixel_x if name.startswith("x") else pixel_y
                if not FIXED.match(text) or abs(float(text) - value) > 1.5 * pixel:
                    return False
            return True
        try:
            harness.wait_for(written, 5, what="the corners of drag %d" % zoom)
        except AssertionError:
            raise AssertionError("drag %d wrote %r, expected %r" % (
                zoom, {n: s.box_text(n) for n in expected}, expected))
        new = view_of(s)
        check(new[0] < new[2] and new[1] < new[3], "drag %d closed up the view: %r" % (zoom, new))
        check(len(s.box_text("xbl").split(".")[1]) > 4,
              "drag %d kept four decimals in a view %.1e wide" % (zoom, new[2] - new[0]))

        s.choose("2D Time Series", "2D Time Series")
        check(s.no_dialog(), "the plot after drag %d showed a message box" % zoom)
        img = harness.settled(s.grab, lambda im: harness.count_dark(im, inner))
        check(harness.axes_drawn(img, frame), "no axes after drag %d" % zoom)
        check(harness.count_dark(img, inner) >= 3,
              "the orbit from the fixed point left no points in view %d" % zoom)
        ratio = (new[2] - new[0]) / (view[2] - view[0])
        check(abs(ratio - 0.2) < 0.01, "drag %d zoomed by %.3f" % (zoom, 1 / ratio))

    width = view_of(s)[2] - view_of(s)[0]
    check(width < 2e-13, "three drags ended at a view %.2e wide" % width)


if __name__ == "__main__":
    harness.run(deep_zoom)
