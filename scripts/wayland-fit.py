# SPDX-License-Identifier: MIT
"""Does the main window fit a Wayland desktop? Runs henon under weston (its X11 backend, on a
1920 x 1080 Xvfb) with Qt's wayland platform at scale 1 and 2, draws the default phase portrait
and the time series, and reports, in device pixels, each window's x axis, the lowest row of the
axis labels and the frame's last row on the screen. Where weston puts a window is its own choice. Not part of the test suite: weston places windows as it likes, and its headless
backend has no input devices.

    /usr/bin/python3 scripts/wayland-fit.py build-release/henon

Needs weston, qt6-wayland and what the end-to-end tests need."""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
os.environ["HENON_E2E_WM"] = "none"
import harness  # noqa: E402

WIDTH, HEIGHT = 1920, 1080


def measure(img):
    gray = img.convert("L").load()
    # Black: the axes and labels; weston's panel and background are lighter.
    dark = [sum(1 for x in range(0, WIDTH, 2) if gray[x, y] < 30) for y in range(HEIGHT)]
    axis = max(range(HEIGHT), key=lambda y: dark[y])
    # The axis's left end: the first black pixel on its row.
    left = next(x for x in range(WIDTH) if gray[x, axis] < 30)
    labels = max(y for y in range(axis + 2, HEIGHT)
                 if any(gray[x, y] < 30 for x in range(left - 60, left + 60)))
    # Down a column right of the plot, clear of labels, the window is white or light grey to its
    # bottom border; weston's background is darker.
    right = max(x for x in range(WIDTH) if gray[x, axis] < 30)
    bottom = axis + 20
    while bottom < HEIGHT - 1 and gray[right + 15, bottom + 1] >= 200:
        bottom += 1
    return {"x axis row": axis, "lowest label row": labels, "frame's last row": bottom,
            "frame reaches the screen's last row": bottom == HEIGHT - 1}


def run(session, scale):
    xdg = os.path.join(session.tmp, "xdg")
    os.makedirs(xdg, mode=0o700)
    env = dict(session.env, XDG_RUNTIME_DIR=xdg)
    session.services.add(subprocess.Popen(
        ["weston", "--backend=x11-backend.so", "--width=%d" % WIDTH, "--height=%d" % HEIGHT,
         "--socket=henon-wl"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    harness.wait_for(lambda: os.path.exists(os.path.join(xdg, "henon-wl")), 10,
                     what="weston's socket")
    time.sleep(1)
    app_env = dict(env, WAYLAND_DISPLAY="henon-wl", QT_QPA_PLATFORM="wayland",
                   QT_SCALE_FACTOR=str(scale), QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QT_ACCESSIBILITY="1", LANG="C.UTF-8", LC_ALL="C.UTF-8")
    session.app_proc = session.services.add(subprocess.Popen(
        [session.binary], env=app_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    session.app = harness.wait_for(session._find_app, 20, 0.1, "henon on the accessibility bus")
    session.app.set_cache_mask(session.Atspi.Cache.NONE)
    session.main = harness.wait_for(lambda: session.window("2D Time Series"), 15,
                                    what="the main window")
    time.sleep(1)
    for title, window in (("2D Time Series", "main window"), ("1D Time Series", "1D window")):
        session.choose("2D Time Series", title)
        time.sleep(2)
        img = session.grab()
        path = "/tmp/henon-wayland-scale%d-%s.png" % (scale, title[:2])
        img.save(path)
        print("scale %d, %s: %s (screen %d x %d; %s)"
              % (scale, window, measure(img), WIDTH, HEIGHT, path))


def main():
    if shutil.which("weston") is None:
        sys.exit("weston is not installed")
    if len(sys.argv) < 3:
        # The accessibility client binds to one bus per process: one process per scale.
        for scale in (1, 2):
            subprocess.run([sys.executable, sys.argv[0], sys.argv[1], str(scale)], check=True)
        return
    session = harness.Session(sys.argv[1], WIDTH, HEIGHT)
    try:
        session.start()
        run(session, int(sys.argv[2]))
    finally:
        session.close()


if __name__ == "__main__":
    main()
