# SPDX-License-Identifier: MIT
"""A desktop panel: a dock window along the top or bottom edge of the screen that reserves its
strip, so that the window manager leaves it out of the work area. Runs until it is killed.

    dock.py top|bottom THICKNESS
"""

import signal
import sys

from Xlib import X, Xatom, display


def main():
    side, thickness = sys.argv[1], int(sys.argv[2])
    d = display.Display()
    screen = d.screen()
    width, height = screen.width_in_pixels, screen.height_in_pixels
    y = 0 if side == "top" else height - thickness
    win = screen.root.create_window(0, y, width, thickness, 0, screen.root_depth,
                                    background_pixel=screen.black_pixel)
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
    win.map()
    d.flush()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        d.next_event()


if __name__ == "__main__":
    main()
