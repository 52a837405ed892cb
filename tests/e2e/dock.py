# SPDX-License-Identifier: MIT
"""A desktop panel: a dock window along the top or bottom edge of the screen that reserves its
strip, so that the window manager leaves it out of the work area. Runs until it is killed.

    dock.py top|bottom THICKNESS
"""

import signal
import sys

from Xlib import Xatom, Xutil, display


def main():
    side, thickness = sys.argv[1], int(sys.argv[2])
    d = display.Display()
    screen = d.screen()
    width, height = screen.width_in_pixels, screen.height_in_pixels
    y = 0 if side == "top" else height - thickness
    # Grey, to tell it from the black root window on a screenshot.
    grey = screen.default_colormap.alloc_color(0x8000, 0x8000, 0x8000).pixel
    win = screen.root.create_window(0, y, width, thickness, 0, screen.root_depth,
                                    background_pixel=grey)
    atom = d.intern_atom
    win.change_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                        [atom("_NET_WM_WINDOW_TYPE_DOCK")])
    # left, right, top, bottom, then the start and end of each strip along its edge.
    strut = [0, 0, thickness, 0] if side == "top" else [0, 0, 0, thickness]
    partial = strut + [0, 0, 0, 0, 0, width - 1, 0, 0] if side == "top" else \
        strut + [0, 0, 0, 0, 0, 0, 0, width - 1]
    win.change_property(atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, strut)
    win.change_property(atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32, partial)
    win.set_wm_name("dock")
    # Where it asks to be, not where the window manager would place a new window.
    win.set_wm_normal_hints(flags=Xutil.USPosition | Xutil.PPosition | Xutil.PSize, x=0, y=y,
                            width=width, height=thickness)
    win.map()
    d.flush()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        d.next_event()


if __name__ == "__main__":
    main()
