# SPDX-License-Identifier: MIT
"""The program on Wayland: weston, with its X11 backend, in the scenario's own Xvfb, and Qt's
wayland platform.

The pointer and the keyboard are the Xvfb's, so xdotool gives real input. A Wayland client does
not know where its windows are: the accessibility extents count from the window's client area,
in logical pixels. The main window's client area is found on the screen from a screenshot."""

import glob
import os
import shutil
import subprocess

import harness
from harness import check, wait_for

# weston's output; the X screen has room below it, for the pointer to leave weston's window.
OUTPUT = (1280, 1024)
BELOW = 100


class WestonSession(harness.Session):

    def __init__(self, binary, scale=1.0):
        super().__init__(binary, OUTPUT[0], OUTPUT[1] + BELOW)
        # weston is the window manager here.
        self.wm = False
        self.dock = None
        self.scale = scale
        self.client_at = None  # the main window's client area on the screen, in device pixels

    def start(self):
        if shutil.which("weston") is None:
            raise harness.Skip("weston is not installed")
        if not glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so"):
            raise harness.Skip("qt6-wayland is not installed")
        super().start()
        self._start_weston()
        return self

    def _start_weston(self):
        self.runtime = os.path.join(self.tmp, "xdg")
        os.makedirs(self.runtime, mode=0o700)
        env = dict(self.env, XDG_RUNTIME_DIR=self.runtime)
        config = os.path.join(self.tmp, "weston.ini")
        with open(config, "w") as f:
            # No on-screen keyboard over the windows; the keys come from the X server.
            f.write("[core]\nidle-time=0\n[input-method]\npath=\n")
        self.weston_log = open(os.path.join(self.tmp, "weston.log"), "w")
        self.services.add(subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--use-pixman", "--config=" + config,
             "--width=%d" % OUTPUT[0], "--height=%d" % OUTPUT[1], "--socket=henon-e2e"],
            env=env, stdout=self.weston_log, stderr=subprocess.STDOUT))
        wait_for(lambda: os.path.exists(os.path.join(self.runtime, "henon-e2e")), 15,
                 what="weston's socket")
        output = wait_for(lambda: self.xdo("search", "--onlyvisible", "--class",
                                           "^Weston Compositor$").stdout.split(), 15,
                          what="weston's window")
        self.output_at = self.geometry(int(output[0]))[:2]
        # weston follows the pointer only once it has entered its window; until then a click
        # lands at the output's corner, on the panel's launcher.
        self.move_pointer(OUTPUT[0] // 2, OUTPUT[1] + BELOW // 2)
        self.park()

    def park(self):
        """The pointer to the middle of weston's panel: weston draws it into the screenshots,
        and there it covers nothing of the program's."""
        self.move_pointer(self.output_at[0] + OUTPUT[0] // 2, self.output_at[1] + 10)

    def start_app(self, **extra_env):
        env = dict(self.env)
        env.pop("DISPLAY", None)
        env.update(QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="henon-e2e",
                   XDG_RUNTIME_DIR=self.runtime, QT_SCALE_FACTOR=str(self.scale),
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", NO_AT_BRIDGE="0",
                   LANG="C.UTF-8", LC_ALL="C.UTF-8")
        env.update(extra_env)
        self._launch(env)
        self.client_at = None
        self.client_at = self.find_client_area()
        return self

    # --- where the main window is --------------------------------------------------------

    def relative(self, node):
        """A node's extents as the program reports them: logical pixels from its window's
        client area."""
        r = node.get_extents(self.Atspi.CoordType.SCREEN)
        return r.x, r.y, r.width, r.height

    def find_client_area(self):
        """The main window's client area on the screen, (x, y) in device pixels, from a
        screenshot taken while its drawing area is blank: the white rectangle of the drawing
        area's size, below the grey menu bar."""
        area = self.drawing_area("2D Time Series")
        # Settled once weston has shown the window at its final size.
        last = [None]

        def same():
            now = (self.relative(self.main), self.relative(area))
            done = now == last[0]
            last[0] = now
            return done
        wait_for(same, 10, 0.3, "the main window's size to settle")
        ax, ay, aw, ah = last[0][1]
        width, height = round(aw * self.scale), round(ah * self.scale)
        img = harness.settled(self.grab, lambda im: im.tobytes(), what="the screen to settle")
        gray = img.convert("L").load()
        white = lambda x, y: gray[x, y] >= 250
        # A row below the parameter boxes, and a column right of them.
        row = self.output_at[1] + OUTPUT[1] * 2 // 3
        runs, x = [], self.output_at[0]
        while x < self.output_at[0] + OUTPUT[0]:
            if white(x, row):
                start = x
                while x < self.output_at[0] + OUTPUT[0] and white(x, row):
                    x += 1
                runs.append((x - start, start))
            x += 1
        check(runs, "no white drawing area on row %d of the screen" % row)
        run, left = max(runs)
        check(abs(run - width) <= 2, "the widest white run on row %d is %d pixels wide, the "
              "drawing area %d" % (row, run, width))
        column = left + width * 9 // 10
        top = row
        while top > 0 and white(column, top - 1):
            top -= 1
        bottom = row
        while bottom + 1 < img.height and white(column, bottom + 1):
            bottom += 1
        check(abs(bottom + 1 - top - height) <= 2, "the white column at x %d runs %d pixels, "
              "the drawing area is %d high" % (column, bottom + 1 - top, height))
        return left - round(ax * self.scale), top - round(ay * self.scale)

    def extents(self, node):
        """Screen extents in device pixels, for the nodes of the main window."""
        x, y, w, h = self.relative(node)
        if self.client_at is None:
            return x, y, w, h
        check(self.top_level(node) == "2D Time Series",
              "%r is not in the main window: its place on the screen is unknown" % self.name(node))
        s = self.scale
        return (self.client_at[0] + round(x * s), self.client_at[1] + round(y * s),
                round(w * s), round(h * s))

    def top_level(self, node):
        """The caption of the window a node is in."""
        while True:
            try:
                parent = node.get_parent()
            except Exception:
                return None
            if parent is None or self.role(parent) == self.Role.APPLICATION:
                return self.name(node)
            node = parent

    def click_node(self, node, button=1):
        # The buttons of boxes, whose windows weston places where it likes, are pressed through
        # the accessibility bus.
        if self.top_level(node) != "2D Time Series":
            return self.activate(node)
        super().click_node(node, button)
        self.park()

    def click_at(self, x, y):
        self.focus_window_at(x, y)
        self.xdo("click", "1")
        self.park()

    def click_item(self, caption):
        """A real click on an item of the main window's menu bar."""
        self.click_node(self.menu_item(self.main, caption))

    def close(self):
        try:
            super().close()
        finally:
            if getattr(self, "weston_log", None):
                self.weston_log.close()


def run(scenario):
    """Runs a scenario at the scale named by HENON_E2E_SCALE (1 by default)."""
    scale = float(os.environ.get("HENON_E2E_SCALE", "1"))
    harness.run(scenario, make_session=WestonSession, scale=scale)
