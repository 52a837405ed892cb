# SPDX-License-Identifier: MIT
"""At a device-pixel ratio of 2 a point of the phase portrait is a 2 x 2 square of pixels."""

import harness
from harness import check


def components(points):
    """The 8-connected groups of a set of pixels."""
    left, groups = set(points), []
    while left:
        todo, group = [left.pop()], []
        while todo:
            x, y = todo.pop()
            group.append((x, y))
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    if (x + dx, y + dy) in left:
                        left.remove((x + dx, y + dy))
                        todo.append((x + dx, y + dy))
        groups.append(group)
    return groups


def hidpi(s):
    s.start_app(QT_SCALE_FACTOR="2")
    # The frame's place and size in logical pixels, twice over on the screen; decorations an odd
    # number of device pixels wide leave the client area a device pixel off.
    wid = s.xwindow("2D Time Series")
    px, tpp = harness.twips_to_px, harness.TWIPS_PER_PIXEL
    want = [2 * v for v in (px(10), px(10), px(s.width // 2 * tpp - 100),
                            px(s.height // 2 * tpp - 450))]
    got = s.outer_geometry(wid)
    check(all(abs(a - b) <= 1 for a, b in zip(got, want)),
          "frame at %r at scale 2, expected %r" % (got, want))
    s.choose("2D Time Series", "2D Time Series")
    # Well inside the frame, away from the axes and their labels, in device pixels.
    x, y, w, h = s.geometry(s.xwindow("2D Time Series"))
    inner = (x + 0.15 * w, y + 0.3 * h, x + 0.9 * w, y + 0.9 * h)
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, inner))
    groups = components(harness.dark_pixels(img, inner))
    check(len(groups) > 100, "only %d dots in the plot" % len(groups))
    # A lone point is a 2 x 2 square; neighbouring points make larger groups, never smaller ones.
    lone = [g for g in groups if len(g) <= 4]
    squares = [g for g in lone if len(g) == 4 and
               max(p[0] for p in g) - min(p[0] for p in g) == 1 and
               max(p[1] for p in g) - min(p[1] for p in g) == 1]
    check(len(lone) > 50, "only %d lone dots" % len(lone))
    check(len(squares) == len(lone),
          "%d of %d lone dots are not 2 x 2 squares, e.g. %r"
          % (len(lone) - len(squares), len(lone), [g for g in lone if g not in squares][:3]))


if __name__ == "__main__":
    harness.run(hidpi)
