# SPDX-License-Identifier: MIT
"""A desktop panel reserving a strip along one edge: dock.py top|bottom THICKNESS. Runs until
killed."""

import signal
import sys

from Xlib import Xatom, Xutil, display

side, thickness = sys.argv[1], int(sys.argv[2])
d = display.Display()
screen = d.screen()
width, y = screen.width_in_pixels, 0 if side == "top" else screen.height_in_pixels - thickness
# Grey, to tell it from the black root window on a screenshot.
grey = screen.default_colormap.alloc_color(0x8000, 0x8000, 0x8000).pixel
win = screen.root.create_window(0, y, width, thickness, 0, screen.root_depth, background_pixel=grey)
win.change_property(d.intern_atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                    [d.intern_atom("_NET_WM_WINDOW_TYPE_DOCK")])
# Left, right, top and bottom strut, then where each strip starts and ends along its edge.
strut = [0, 0, thickness, 0, 0, 0, 0, 0, 0, width - 1, 0, 0] if side == "top" else \
    [0, 0, 0, thickness, 0, 0, 0, 0, 0, 0, 0, width - 1]
win.change_property(d.intern_atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32, strut)
# Where it asks to be, not where the window manager would place a new window.
win.set_wm_normal_hints(flags=Xutil.USPosition | Xutil.PPosition, x=0, y=y)
win.map()
d.flush()
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
while True:
    d.next_event()
