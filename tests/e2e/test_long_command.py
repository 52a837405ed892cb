# SPDX-License-Identifier: MIT
"""A long 2D plot: the picture grows on screen, the pointer is the wait cursor, and a menu click
made meanwhile runs only after the plot has ended."""

import ctypes
import os
import time

import harness
from harness import check, wait_for

# A tiny view on the attractor: a few hundred points a second land in it, so the picture keeps
# growing for as long as the plot runs.
VIEW = {"xbl": "0.5858", "ybl": "0.1809", "xtr": "0.586", "ytr": "0.181", "N": "2147483647"}


class XCursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


class ThemeImage(ctypes.Structure):
    _fields_ = [("version", ctypes.c_uint), ("size", ctypes.c_uint), ("width", ctypes.c_uint),
                ("height", ctypes.c_uint), ("xhot", ctypes.c_uint), ("yhot", ctypes.c_uint),
                ("delay", ctypes.c_uint), ("pixels", ctypes.POINTER(ctypes.c_uint))]


class ThemeImages(ctypes.Structure):
    _fields_ = [("nimage", ctypes.c_int), ("images", ctypes.POINTER(ctypes.POINTER(ThemeImage))),
                ("name", ctypes.c_char_p)]


class Cursors:
    """The pointer image the X server shows, and the images of the cursor theme's names."""

    def __init__(self, display):
        try:
            self.x11 = ctypes.CDLL("libX11.so.6")
            self.xfixes = ctypes.CDLL("libXfixes.so.3")
            self.xcursor = ctypes.CDLL("libXcursor.so.1")
        except OSError as e:
            raise harness.Skip("X cursor libraries missing: %s" % e)
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xfixes.XFixesQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                     ctypes.POINTER(ctypes.c_int)]
        self.xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(XCursorImage)
        self.xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
        self.xcursor.XcursorGetTheme.restype = ctypes.c_char_p
        self.xcursor.XcursorGetTheme.argtypes = [ctypes.c_void_p]
        self.xcursor.XcursorGetDefaultSize.argtypes = [ctypes.c_void_p]
        self.xcursor.XcursorLibraryLoadImages.restype = ctypes.POINTER(ThemeImages)
        self.xcursor.XcursorLibraryLoadImages.argtypes = [ctypes.c_char_p, ctypes.c_char_p,
                                                          ctypes.c_int]
        self.dpy = self.x11.XOpenDisplay(display.encode())
        check(self.dpy, "cannot open %s" % display)
        a, b = ctypes.c_int(), ctypes.c_int()
        check(self.xfixes.XFixesQueryExtension(self.dpy, ctypes.byref(a), ctypes.byref(b)),
              "no XFixes extension")

    def shown(self):
        img = self.xfixes.XFixesGetCursorImage(self.dpy).contents
        return (img.width, img.height, img.xhot, img.yhot,
                tuple(img.pixels[i] & 0xFFFFFFFF for i in range(img.width * img.height)))

    def theme(self, name):
        """Every frame of the named cursor of the pointer theme; an animated one has several."""
        theme = self.xcursor.XcursorGetTheme(self.dpy) or b"default"
        size = self.xcursor.XcursorGetDefaultSize(self.dpy)
        images = self.xcursor.XcursorLibraryLoadImages(name.encode(), theme, size)
        if not images:
            return []
        frames = []
        for k in range(images.contents.nimage):
            img = images.contents.images[k].contents
            frames.append((img.width, img.height, img.xhot, img.yhot,
                           tuple(img.pixels[i] for i in range(img.width * img.height))))
        return frames


def long_command(s):
    s.start_app()
    cursors = Cursors(s.display)
    waits = cursors.theme("wait") + cursors.theme("watch")
    for name, text in VIEW.items():
        s.type_into(name, text)
    plot = s.menu_item(s.main, "2D Time Series")
    clear = s.menu_item(s.main, "Clear")
    plot_at, clear_at = s.extents(plot), s.extents(clear)
    frame = harness.interior(s.frame_rect())
    middle = (int((frame[0] + frame[2]) / 2), int((frame[1] + frame[3]) / 2))
    s.move_pointer(*middle)
    idle = cursors.shown()

    s.focus_window_at(plot_at[0] + plot_at[2] // 2, plot_at[1] + plot_at[3] // 2)
    s.xdo("click", "1")
    s.move_pointer(*middle)
    # The picture grows while the plot runs.
    counts = []
    started = time.monotonic()
    while len(counts) < 3 and time.monotonic() - started < 60:
        time.sleep(0.4)
        counts.append(harness.count_dark(s.grab(), frame))
    check(all(b > a for a, b in zip(counts, counts[1:])),
          "the picture did not grow while the plot ran: %r" % counts)
    during = cursors.shown()
    check(during != idle, "the pointer did not change during the plot")
    if waits:
        check(during in waits, "the pointer during the plot is not the theme's wait cursor")
    # The wait cursor may be animated: the plot runs while the pointer is one of its frames.
    busy = (lambda: cursors.shown() in waits) if waits else (lambda: cursors.shown() == during)

    # A click on Clear waits: while the plot runs the picture stays, and only then is it wiped.
    s.move_pointer(clear_at[0] + clear_at[2] // 2, clear_at[1] + clear_at[3] // 2)
    s.xdo("click", "1")
    s.move_pointer(*middle)
    seen_running = 0
    started = time.monotonic()
    while time.monotonic() - started < 150:
        before = busy()
        dark = harness.count_dark(s.grab(), frame)
        if not busy():
            break
        if before:
            check(dark >= counts[-1], "the picture was wiped while the plot ran: %d" % dark)
            seen_running += 1
        time.sleep(0.2)
    check(not busy(), "the plot did not end")
    check(seen_running > 0, "the plot ended before the click could be checked")
    wait_for(lambda: harness.count_dark(s.grab(), frame) == 0, 10, what="Clear after the plot")
    check(cursors.shown() == idle, "the pointer did not come back after the plot")
    check(s.box_text("N") == VIEW["N"], "the plot stopped early")
    check(s.no_dialog(), "a message box after the long plot")


if __name__ == "__main__":
    harness.run(long_command)
