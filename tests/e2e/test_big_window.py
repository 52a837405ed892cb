# SPDX-License-Identifier: MIT
"""A window larger than the primary screen, on a larger second monitor, is drawn to its edges."""

import harness
from harness import check, wait_for

PRIMARY = (1024, 768)
SECOND = (1920, 1080)


def big_window(s):
    s.start_app()
    wid = s.xwindow("2D Time Series")
    # Onto the second monitor, filling most of it: wider and taller than the primary screen.
    s.xdo("windowmove", "--sync", str(wid), str(PRIMARY[0] + 10), "10")
    s.xdo("windowsize", "--sync", str(wid), str(SECOND[0] - 40), str(SECOND[1] - 60))
    wait_for(lambda: s.geometry(wid)[2] > PRIMARY[0] and s.geometry(wid)[3] > PRIMARY[1], 10,
             what="the window to grow past the primary screen's size")
    s.choose("2D Time Series", "2D Time Series")
    frame = s.frame_rect()
    check(frame[2] - frame[0] > PRIMARY[0] * 0.87, "the frame %r is not wider than the primary" % (frame,))
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, harness.interior(frame)))
    check(harness.axes_drawn(img, frame), "the axes are not drawn along the whole frame")
    left, top, right, bottom = frame
    width = right - left
    # The right lobe of the attractor is there, and right of it the window is white, not black.
    lobe = harness.count_dark(img, (left + 0.7 * width, top + 3, left + 0.8 * width, bottom - 3))
    check(lobe > 30, "only %d points in the attractor's right lobe" % lobe)
    empty = harness.count_dark(img, (left + 0.86 * width, top + 3, right - 3, bottom - 3))
    check(empty == 0, "%d dark pixels right of the attractor" % empty)
    x, y, w, h = s.plot_area()
    below = harness.count_dark(img, (x + 2, bottom + 30, x + w - 2, y + h - 2))
    check(below == 0, "%d dark pixels below the x axis labels" % below)


if __name__ == "__main__":
    harness.run(big_window, width=PRIMARY[0], height=PRIMARY[1], second_head=SECOND)
