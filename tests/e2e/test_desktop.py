# SPDX-License-Identifier: MIT
"""On a desktop with a decorating window manager: where the windows go, the icon, the labels.

Runs also with a panel reserving a strip at the bottom or the top (HENON_E2E_DOCK): the windows
then fit the work area the panel leaves."""

import glob
import os

import harness
from harness import check, wait_for

ICONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "icons")


def check_placed(s, title):
    wid = s.xwindow(title)
    left, right, top, bottom = s.frame_extents(wid)
    check(top > 0 and (left, right, top, bottom) != (0, 0, 0, 0),
          "%s: no decorations (_NET_FRAME_EXTENTS %r)" % (title, (left, right, top, bottom)))
    outer = s.outer_geometry(wid)
    check(outer == harness.expected_outer(s), "%s: frame at %r, expected %r" % (title, outer, harness.expected_outer(s)))
    # The title bar is on the screen, so the window can be moved by it, and no panel hides any
    # part of the frame.
    check(outer[1] >= 0, "%s: title bar above the screen" % title)
    ax, ay, aw, ah = s.work_area()
    x, y, w, h = outer
    check(ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah,
          "%s: frame %r outside the work area %r" % (title, outer, (ax, ay, aw, ah)))
    return wid


def icon_images(s, wid):
    """The images of _NET_WM_ICON as {(width, height): [ARGB, ...]}."""
    values = s.xprop(wid, "_NET_WM_ICON", "32c")
    images = {}
    while len(values) >= 2:
        w, h = values[0], values[1]
        images[(w, h)] = values[2:2 + w * h]
        values = values[2 + w * h:]
    return images


def png_argb(path):
    from PIL import Image
    img = Image.open(path).convert("RGBA")
    return [(a << 24) | (r << 16) | (g << 8) | b for r, g, b, a in img.getdata()]


def same_icon(shown, path):
    """Opaque pixels exactly as in the file; translucent ones within rounding."""
    wanted = png_argb(path)
    if len(shown) != len(wanted):
        return False
    for got, want in zip(shown, wanted):
        if want >> 24 == 255:
            if got != want:
                return False
        elif abs((got >> 24) - (want >> 24)) > 2:
            return False
    return True


def panel_axis(img, x, top, bottom):
    """The longest dark vertical run near column x between top and bottom: (first, last) row."""
    gray = img.convert("L").load()
    best, run_start, best_len = None, None, 0
    for y in range(int(top), int(bottom)):
        dark = any(gray[xx, y] < 100 for xx in range(int(x) - 2, int(x) + 3))
        if dark and run_start is None:
            run_start = y
        if (not dark or y == int(bottom) - 1) and run_start is not None:
            end = y - 1 if not dark else y
            if end - run_start + 1 > best_len:
                best, best_len = (run_start, end), end - run_start + 1
            run_start = None
    return best


def desktop(s):
    check(s.wm, "this scenario needs the window manager")
    s.start_app()
    main = check_placed(s, "2D Time Series")

    # The main window's own icon, both sizes, as the files have them.
    images = icon_images(s, main)
    for size in (16, 32):
        files = glob.glob(os.path.join(ICONS, "*-%d.png" % size))
        check(files, "no %d px icon file in %s" % (size, ICONS))
        check((size, size) in images, "no %dx%d image in _NET_WM_ICON: %r" % (size, size, list(images)))
        check(same_icon(images[(size, size)], files[0]), "the %d px icon is not %s" % (size, files[0]))

    # A press on a label or a box, even after a plot has set a frame, changes no box.
    s.choose("2D Time Series", "2D Time Series")
    img = harness.settled(s.grab,
                          lambda im: harness.count_dark(im, harness.interior(s.frame_rect())))
    # The x axis and the bounds printed under it are on the screen, above any panel.
    left, top, right, bottom = s.frame_rect()
    cx, cy, cw, ch = s.geometry(main)
    check(harness.axes_drawn(img, s.frame_rect()), "the axes are not drawn where expected")
    check(harness.count_dark(img, (left - 20, bottom + 3, right + 5, cy + ch)) > 20,
          "no bounds under the x axis")
    _, ay, _, ah = s.work_area()
    check(cy + ch <= ay + ah, "the client area reaches under the panel")
    before = {name: s.box_text(name) for name in harness.DEFAULTS}
    for name in ("x0", "ytr", "N"):
        label = next(n for n in s.walk(s.main, 6) if s.role(n) == s.Role.LABEL and s.name(n) == name)
        x, y, w, h = s.extents(label)
        s.focus_window_at(x + w // 2, y + h // 2)
        s.xdo("click", "1")
        s.xdo("click", "3")
        s.xdo("mousedown", "1")
        s.move_pointer(x + w // 2 + 40, y + h // 2 + 20)
        s.xdo("mouseup", "1")
    check(s.no_dialog(0.3), "a label press opened a box")
    after = {name: s.box_text(name) for name in harness.DEFAULTS}
    check(after == before, "label presses changed the boxes: %r" % after)

    # The time-series window: placed the same, and its panels fit the client area it really has,
    # though they were measured while it was hidden.
    s.choose("2D Time Series", "1D Time Series")
    wait_for(lambda: s.window("1D Time Series") and s.xwindow("1D Time Series"), 10,
             what="the time-series window")
    series = check_placed(s, "1D Time Series")
    surface = s.drawing_area("1D Time Series")
    x, y, w, h = s.extents(surface)
    cx, cy, cw, ch = s.geometry(series)
    check(cx <= x and cy <= y and x + w <= cx + cw and y + h <= cy + ch,
          "drawing area %r outside the client area %r" % ((x, y, w, h), (cx, cy, cw, ch)))
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, (x, y, x + w, y + h)))
    for name, left in (("left", x + 0.07 * w), ("right", x + 0.55 * w)):
        axis = panel_axis(img, left, y, y + h)
        check(axis is not None, "no y axis in the %s panel" % name)
        top, bottom = axis
        check(abs(top - (y + 0.1 * h)) <= 2 and abs(bottom - (y + 0.9 * h)) <= 2,
              "%s panel's y axis runs over rows %d..%d, expected %.0f..%.0f of the client area"
              % (name, top, bottom, y + 0.1 * h, y + 0.9 * h))


if __name__ == "__main__":
    harness.run(desktop)
