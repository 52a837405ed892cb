# SPDX-License-Identifier: MIT
"""The 2D plot with the default texts, Clear, and a second plot."""

import harness
from harness import check, interior, axes_drawn, attractor_pixels, dark_pixels


def plot_2d(s):
    s.start_app()
    frame = s.frame_rect()
    inner = interior(frame)
    s.choose("2D Time Series", "2D Time Series")
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, inner))
    check(s.no_dialog(), "the default plot showed a message box")
    check(axes_drawn(img, frame), "no axes along the frame's left and bottom edges")
    points = dark_pixels(img, inner)
    check(len(points) > 500, "only %d dark pixels inside the frame" % len(points))
    near = attractor_pixels((-2, -1, 2, 1), frame)
    stray = [p for p in points if p not in near]
    check(len(stray) <= len(points) // 100,
          "%d of %d points lie off the attractor, e.g. %r" % (len(stray), len(points), stray[:5]))
    # Everything drawn stays inside the window's client area, and nothing lands in the
    # parameter panel.
    x, y, w, h = s.plot_area()
    check(harness.count_dark(img, (x + 1, y + 0.07 * h, x + w - 1, frame[1] - 25)) == 0,
          "dark pixels between the parameter panel and the frame")

    s.choose("2D Time Series", "Clear")
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, inner))
    check(harness.count_dark(img, (frame[0] - 60, frame[1] - 30, frame[2] + 40, frame[3] + 30)) == 0,
          "Clear left a picture behind")
    check(s.box_text("N") == "1000", "Clear changed the boxes")

    # A second plot after Clear draws the same picture again.
    s.choose("2D Time Series", "2D Time Series")
    again = harness.settled(s.grab, lambda im: harness.count_dark(im, inner))
    check(sorted(dark_pixels(again, inner)) == sorted(points), "the replot differs from the first plot")
    check(s.no_dialog(), "the replot showed a message box")


if __name__ == "__main__":
    harness.run(plot_2d)
