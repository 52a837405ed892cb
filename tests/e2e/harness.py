# SPDX-License-Identifier: MIT
"""Drives the real henon binary in its own X server, as a user and a screen reader would.

Every scenario runs in a fresh process with its own Xvfb, D-Bus session bus and AT-SPI bus,
because the AT-SPI client library binds to one bus for the life of the process.
"""

import importlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77


class Skip(Exception):
    pass


def wait_for(predicate, timeout=10.0, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.1fs waiting for %s" % (timeout, what))
        time.sleep(interval)


def check(cond, message):
    if not cond:
        raise AssertionError(message)


def _children(pid):
    kids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        # The command name may hold blanks; the parent id follows its closing parenthesis.
        fields = stat[stat.rfind(")") + 2:].split()
        if int(fields[1]) == pid:
            kids.append(int(entry))
    return kids


def _descendants(pid):
    found, todo = [], [pid]
    while todo:
        for kid in _children(todo.pop()):
            found.append(kid)
            todo.append(kid)
    return found


def _alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


class Services:
    """Processes this scenario started, stopped in reverse order by their ids."""

    def __init__(self):
        self.procs = []

    def add(self, proc):
        self.procs.append(proc)
        return proc

    def stop(self, proc, timeout=5.0):
        if proc not in self.procs:
            return
        self.procs.remove(proc)
        # Helpers a service spawned (the accessibility bus, its registry) go with it, children
        # first, so that each parent is still there to reap its child.
        pids = [proc.pid] + _descendants(proc.pid)
        for pid in reversed(pids[1:]):
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                continue
            deadline = time.monotonic() + timeout
            while _alive(pid) and time.monotonic() < deadline:
                time.sleep(0.02)
            if _alive(pid):
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            deadline = time.monotonic() + 0.5
            while os.path.exists("/proc/%d" % pid) and time.monotonic() < deadline:
                time.sleep(0.02)
        if proc.poll() is None:
            proc.terminate()
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()

    def stop_all(self):
        for proc in reversed(list(self.procs)):
            self.stop(proc)


class Session:
    """One X display, one session bus, one accessibility bus, and the program under test."""

    def __init__(self, binary, width=1280, height=1024, second_head=None):
        self.binary = os.path.abspath(binary)
        self.width, self.height = width, height
        self.second_head = second_head
        # Users run the program under a decorating window manager; one scenario checks start-up
        # on a bare X server as well.
        self.wm = os.environ.get("HENON_E2E_WM", "openbox") != "none"
        # A panel along one edge, as "bottom:48" or "top:32", reserving that strip of the screen.
        self.dock = os.environ.get("HENON_E2E_DOCK")
        self.services = Services()
        self.tmp = tempfile.mkdtemp(prefix="henon-e2e-")
        self.env = dict(os.environ)
        self.app_proc = None
        self.app = None
        self.cups = None

    # --- services -------------------------------------------------------------------------

    def start(self):
        self._start_x()
        if self.wm:
            self._start_wm()
        if self.dock:
            self._start_dock()
        self._start_dbus()
        self._start_atspi()
        return self

    def _start_x(self):
        rfd, wfd = os.pipe()
        # A second monitor, when asked for, sits right of the first as one Xinerama desktop.
        heads = ["-screen", "0", "%dx%dx24" % (self.width, self.height)]
        if self.second_head:
            heads += ["-screen", "1", "%dx%dx24" % self.second_head, "+xinerama"]
        proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(wfd)] + heads + ["-nolisten", "tcp", "-noreset"],
            pass_fds=(wfd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.services.add(proc)
        os.close(wfd)
        number = b""
        with os.fdopen(rfd, "rb") as r:
            while not number.endswith(b"\n"):
                chunk = r.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not report a display")
                number += chunk
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display
        os.environ["DISPLAY"] = self.display

    def start_wm(self):
        """A window manager started while the program runs."""
        self._start_wm()
        self.wm = True

    def _start_wm(self):
        if shutil.which("openbox") is None:
            raise Skip("openbox is not installed")
        config = os.path.join(self.tmp, "config")
        os.makedirs(config)
        # The system-wide configuration and theme: nothing of the user's.
        env = dict(self.env, XDG_CONFIG_HOME=config, HOME=self.tmp)
        self.services.add(subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for(lambda: "window id" in self.xprop_root("_NET_SUPPORTING_WM_CHECK"), 10,
                 what="openbox to manage the screen")

    def _start_dock(self):
        side, thickness = self.dock.split(":")
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dock.py")
        self.services.add(subprocess.Popen([sys.executable, script, side, thickness],
                                           env=self.env))
        full = (0, 0, self.width, self.height)
        wait_for(lambda: self.work_area() != full, 10, what="the dock to reserve its strip")

    def work_area(self):
        """The part of the screen the panels leave to windows: (x, y, width, height)."""
        values = self.xprop("root", "_NET_WORKAREA")
        return tuple(values[:4]) if len(values) >= 4 else (0, 0, self.width, self.height)

    def xprop_root(self, prop):
        return subprocess.run(["xprop", "-root", prop], env=self.env, capture_output=True,
                              text=True).stdout

    def xprop(self, wid, prop, form=None):
        """A window property as a list of numbers, or [] when the window has none."""
        args = ["xprop", "-root"] if wid == "root" else ["xprop", "-id", str(wid)]
        if form:
            args += ["-f", prop, form, "=$0+"]
        out = subprocess.run(args + [prop], env=self.env, capture_output=True, text=True).stdout
        _, sep, values = out.partition("=")
        if not sep:
            return []
        try:
            return [int(v) for v in values.replace(",", " ").split()]
        except ValueError:
            return []

    def frame_extents(self, wid):
        """Left, right, top and bottom of the decorations the window manager put round it."""
        return tuple(self.xprop(wid, "_NET_FRAME_EXTENTS")) or (0, 0, 0, 0)

    def geometry(self, wid):
        """The client area's screen rectangle (x, y, width, height) of an X window."""
        out = subprocess.run(["xwininfo", "-id", str(wid)], env=self.env, capture_output=True,
                             text=True).stdout
        values = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def outer_geometry(self, wid):
        """The decorated frame's screen rectangle: the client area and the frame extents."""
        x, y, w, h = self.geometry(wid)
        left, right, top, bottom = self.frame_extents(wid)
        return x - left, y - top, w + left + right, h + top + bottom

    def _start_dbus(self):
        proc = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=self.env)
        self.services.add(proc)
        address = proc.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not report an address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_atspi(self):
        self.env.pop("AT_SPI_BUS_ADDRESS", None)
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        proc = subprocess.Popen(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=self.env)
        self.services.add(proc)

        def a11y_address():
            out = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                 "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True, text=True)
            if out.returncode != 0 or "unix:" not in out.stdout:
                return None
            return out.stdout.split('"')[1]

        address = wait_for(a11y_address, 10, what="the accessibility bus")
        # Started here rather than by bus activation, which detaches it from every process of
        # ours and so from the clean-up.
        registry_env = dict(self.env, AT_SPI_BUS_ADDRESS=address)
        self.services.add(subprocess.Popen(
            ["/usr/libexec/at-spi2-registryd"], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, env=registry_env))

        def registry_up():
            out = subprocess.run(
                ["dbus-send", "--bus=" + address, "--print-reply", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:org.a11y.atspi.Registry"], env=self.env, capture_output=True, text=True)
            return out.returncode == 0 and "boolean true" in out.stdout

        wait_for(registry_up, 10, what="the accessibility registry")
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi
        self.Atspi = Atspi
        self.Role = Atspi.Role
        Atspi.init()
        # Short calls: an action that opens a modal box does not answer until the box closes.
        Atspi.set_timeout(500, 500)

    def start_app(self, **extra_env):
        env = dict(self.env)
        env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   QT_ACCESSIBILITY="1", NO_AT_BRIDGE="0", LANG="C.UTF-8", LC_ALL="C.UTF-8")
        env.pop("QT_SCALE_FACTOR", None)
        if self.cups:
            env["CUPS_SERVER"] = self.cups.socket
        env.update(extra_env)
        self._launch(env)
        wait_for(lambda: self.xwindow("2D Time Series"), 10, what="the main X window")
        return self

    def _launch(self, env):
        """Starts henon with env and waits for its main window on the accessibility bus."""
        self.app_log = open(os.path.join(self.tmp, "henon.log"), "w")
        self.app_proc = subprocess.Popen([self.binary], env=env, stdout=self.app_log,
                                         stderr=subprocess.STDOUT)
        self.services.add(self.app_proc)
        self.app = wait_for(self._find_app, 20, 0.1, "henon on the accessibility bus")
        self.app.set_cache_mask(self.Atspi.Cache.NONE)
        self.main = wait_for(lambda: self.window("2D Time Series"), 15, what="the main window")

    def _find_app(self):
        if self.app_proc.poll() is not None:
            raise AssertionError("henon exited early with %s" % self.app_proc.returncode)
        desktop = self.Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            child = desktop.get_child_at_index(i)
            try:
                if child is not None and child.get_process_id() == self.app_proc.pid:
                    return child
            except Exception:
                continue
        return None

    def close(self):
        try:
            if self.cups:
                self.cups.stop()
        finally:
            self.services.stop_all()
            if getattr(self, "app_log", None):
                self.app_log.close()
            shutil.rmtree(self.tmp, ignore_errors=True)

    # --- accessibility tree ---------------------------------------------------------------

    def children(self, node):
        out = []
        try:
            count = node.get_child_count()
        except Exception:
            return out
        for i in range(count):
            try:
                child = node.get_child_at_index(i)
            except Exception:
                continue
            if child is not None:
                out.append(child)
        return out

    def walk(self, node, depth=12):
        yield node
        if depth:
            for child in self.children(node):
                yield from self.walk(child, depth - 1)

    @staticmethod
    def name(node):
        try:
            return node.get_name() or ""
        except Exception:
            return ""

    @staticmethod
    def role(node):
        # The Atspi.Role value: role names differ between AT-SPI versions ("push button" became
        # "button").
        try:
            return node.get_role()
        except Exception:
            return None

    def text(self, node):
        # Called through the Text interface: newer PyGObject gives Accessible a get_text() of
        # its own that hides the interface's.
        Text = self.Atspi.Text
        return Text.get_text(node, 0, Text.get_character_count(node))

    def showing(self, node):
        try:
            return node.get_state_set().contains(self.Atspi.StateType.SHOWING)
        except Exception:
            return False

    def top_levels(self):
        return self.children(self.app)

    def window(self, title):
        for w in self.top_levels():
            if (self.name(w) == title and self.role(w) in (self.Role.FRAME, self.Role.WINDOW)
                    and self.showing(w)):
                return w
        return None

    def find(self, root, role=None, name=None, depth=12):
        for node in self.walk(root, depth):
            if role is not None and self.role(node) != role:
                continue
            if name is not None and self.name(node) != name:
                continue
            return node
        return None

    def menu_item(self, window, caption):
        for node in self.walk(window, 8):
            if (self.role(node) in (self.Role.MENU_ITEM, self.Role.MENU)
                    and self.name(node) == caption):
                return node
        raise AssertionError("no menu item %r in %s" % (caption, self.name(window)))

    def activate(self, node):
        """Runs the default action; a modal box opened by it keeps the call from returning."""
        try:
            node.do_action(0)
        except Exception as e:  # the time-out of a call that opened a modal box
            if "Timeout" not in str(e) and "timeout" not in str(e) and "NoReply" not in str(e):
                raise

    def choose(self, window_title, *captions):
        win = wait_for(lambda: self.window(window_title), 10, what="window %r" % window_title)
        node = win
        for caption in captions:
            node = self.menu_item(node, caption)
        self.activate(node)

    def text_box(self, name):
        for node in self.walk(self.main, 8):
            if self.role(node) in (self.Role.ENTRY, self.Role.TEXT) and self.name(node) == name:
                return node
        raise AssertionError("no text box named %r" % name)

    def tool_tip(self):
        """The text of the tool tip showing, or None."""
        for w in self.top_levels():
            if self.role(w) == self.Role.TOOL_TIP and self.showing(w):
                return self.name(w)
        return None

    def box_text(self, name):
        return self.text(self.text_box(name))

    # --- dialogs --------------------------------------------------------------------------

    def dialogs(self):
        found = []
        for w in self.top_levels():
            if self.role(w) in (self.Role.DIALOG, self.Role.ALERT) and self.showing(w):
                found.append(w)
        return found

    def dialog_texts(self, dlg):
        texts = []
        for node in self.walk(dlg, 6):
            if node is dlg:
                continue
            if self.role(node) in (self.Role.LABEL, self.Role.STATIC) and self.name(node):
                texts.append(self.name(node))
        return texts

    def wait_dialog(self, title=None, timeout=10.0):
        def look():
            for d in self.dialogs():
                if title is None or self.name(d) == title:
                    return d
            return None
        return wait_for(look, timeout, what="a dialog titled %r" % title)

    def wait_message(self, timeout=10.0):
        """Returns the text of the message box now open."""
        dlg = self.wait_dialog("Hénon Map Explorer", timeout)
        texts = wait_for(lambda: self.dialog_texts(dlg), 5, what="the message text")
        buttons = [n for n in self.walk(dlg, 6) if self.role(n) == self.Role.PUSH_BUTTON]
        check([self.name(b) for b in buttons] == ["OK"],
              "message box buttons %r, expected OK alone" % [self.name(b) for b in buttons])
        return texts[0], dlg

    def answer_message(self, expected, timeout=10.0):
        text, dlg = self.wait_message(timeout)
        check(text == expected, "message %r, expected %r" % (text, expected))
        self.press_button(dlg, "OK")
        self.wait_gone(dlg)

    def press_button(self, dlg, caption):
        button = self.find(dlg, self.Role.PUSH_BUTTON, caption)
        check(button is not None, "no %r button in %r" % (caption, self.name(dlg)))
        self.click_node(button)

    def wait_gone(self, dlg, timeout=10.0):
        wait_for(lambda: not self.showing(dlg) or dlg not in self.dialogs(), timeout,
                 what="dialog %r to close" % self.name(dlg))

    def no_dialog(self, settle=0.5):
        """True when no box turns up within the settle time."""
        deadline = time.monotonic() + settle
        while time.monotonic() < deadline:
            if self.dialogs():
                return False
            time.sleep(0.05)
        return True

    def answer_input(self, title, answer, timeout=10.0):
        """Types the answer into an input box and confirms it; None cancels it."""
        dlg = self.wait_dialog(title, timeout)
        if answer is None:
            self.press_button(dlg, "Cancel")
        else:
            entry = self.find(dlg, self.Role.TEXT) or self.find(dlg, self.Role.ENTRY)
            check(entry is not None, "no entry in %r" % title)
            self.click_node(entry)
            self.xdo("type", "--delay", "5", "--", answer)
            wait_for(lambda: self.text(entry) == answer, 5,
                     what="typed text in %r" % title)
            self.press_button(dlg, "OK")
        self.wait_gone(dlg)

    # --- X input and pixels ---------------------------------------------------------------

    def xdo(self, *args):
        out = subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True,
                             text=True, timeout=20)
        return out

    def xwindow(self, title):
        out = self.xdo("search", "--onlyvisible", "--name", "^%s$" % title)
        ids = [int(x) for x in out.stdout.split()]
        return ids[-1] if ids else None

    def extents(self, node):
        r = node.get_extents(self.Atspi.CoordType.SCREEN)
        return r.x, r.y, r.width, r.height

    def move_pointer(self, x, y):
        # "mousemove --sync" never returns when the pointer is already there.
        self.xdo("mousemove", str(x), str(y))
        wait_for(lambda: self.pointer()[:2] == (x, y), 5, 0.01, "the pointer at %d,%d" % (x, y))

    def pointer(self):
        values = {}
        for line in self.xdo("getmouselocation", "--shell").stdout.splitlines():
            key, _, value = line.partition("=")
            values[key] = value
        return int(values.get("X", -1)), int(values.get("Y", -1)), int(values.get("WINDOW", 0))

    def pointer_client(self):
        """The application window under the pointer; a window manager's frame holds it."""
        todo = [self.pointer()[2]]
        while todo:
            wid = todo.pop(0)
            if not wid:
                continue
            if self.xprop(wid, "WM_STATE", "32c") or not self.wm:
                return wid
            out = subprocess.run(["xwininfo", "-children", "-id", str(wid)], env=self.env,
                                 capture_output=True, text=True).stdout
            todo += [int(line.split()[0], 16) for line in out.splitlines()
                     if line.strip().startswith("0x")]
        return 0

    def click_node(self, node, button=1):
        x, y, w, h = self.extents(node)
        self.focus_window_at(x + w // 2, y + h // 2)
        self.xdo("click", str(button))

    def focus_window_at(self, x, y):
        """Moves the pointer there and gives its top-level window the keyboard focus."""
        self.move_pointer(x, y)
        wid = self.pointer_client()
        if wid:
            self.xdo("windowfocus", "--sync", str(wid))

    def type_into(self, name, text):
        """Replaces the text of a parameter box by typing, as a user does."""
        node = self.text_box(name)
        self.click_node(node)
        wait_for(lambda: node.get_state_set().contains(self.Atspi.StateType.FOCUSED), 5,
                 what="focus in box %r" % name)
        self.xdo("key", "--clearmodifiers", "ctrl+a", "BackSpace")
        if text:
            self.xdo("type", "--delay", "5", "--", text)
        wait_for(lambda: self.box_text(name) == text, 5, what="box %r to read %r" % (name, text))

    def grab(self):
        from PIL import ImageGrab
        return ImageGrab.grab(xdisplay=self.display).convert("RGB")

    # The name each window's drawing area carries.
    DRAWING_AREAS = {"2D Time Series": "Phase portrait", "1D Time Series": "Time series",
                     "Histogram": "Histograms"}

    def drawing_area(self, title):
        """The accessible object of a window's drawing area: its client area below the menu."""
        win = self.main if title == "2D Time Series" else self.window(title)
        node = self.find(win, None, self.DRAWING_AREAS[title], 3)
        check(node is not None, "no drawing area in %r" % title)
        return node

    def plot_area(self):
        """The main window's client area below the menu bar, in screen pixels."""
        return self.extents(self.drawing_area("2D Time Series"))

    def frame_rect(self):
        x, y, w, h = self.plot_area()
        return (x + 0.08 * w, y + 0.15 * h, x + 0.95 * w, y + 0.95 * h)


# Xvfb's screens have 96 dots per inch: 15 twips to the pixel.
TWIPS_PER_PIXEL = 15.0


def twips_to_px(twips):
    return int(round(twips / TWIPS_PER_PIXEL))


def expected_outer(s):
    """Where every window goes: top 10, left 10 from the work area's corner, the work area less
    100 across and 450 down, in twips; as (x, y, width, height) of the outer frame in pixels.
    Without a panel the work area is the whole screen."""
    x, y, w, h = s.work_area()
    return (x + twips_to_px(10), y + twips_to_px(10), twips_to_px(w * TWIPS_PER_PIXEL - 100),
            twips_to_px(h * TWIPS_PER_PIXEL - 450))


def attractor_pixels(view, frame, steps=60000, spread=2):
    """Screen pixels within `spread` of the attractor of the default map, for a view window
    (xbl, ybl, xtr, ytr) drawn into a frame (left, top, right, bottom) in screen pixels."""
    xbl, ybl, xtr, ytr = view
    left, top, right, bottom = frame
    near = set()
    x, y = 0.5, 0.5
    for i in range(steps):
        x, y = 1 + y - 1.4 * x * x, 0.3 * x
        if i < 100 or not (xbl < x < xtr and ybl < y < ytr):
            continue
        px = int(left + (right - left) * (x - xbl) / (xtr - xbl))
        py = int(bottom - (bottom - top) * (y - ybl) / (ytr - ybl))
        for dx in range(-spread, spread + 1):
            for dy in range(-spread, spread + 1):
                near.add((px + dx, py + dy))
    return near


def dark_pixels(img, box, threshold=100):
    left, top, right, bottom = [int(round(v)) for v in box]
    gray = img.convert("L")
    data = gray.load()
    return [(x, y) for y in range(top, bottom) for x in range(left, right) if data[x, y] < threshold]


def count_dark(img, box, threshold=100):
    left, top, right, bottom = [int(round(v)) for v in box]
    region = img.crop((left, top, right, bottom)).convert("L")
    hist = region.histogram()
    return sum(hist[:threshold])


def run(scenario, needs_cups=False, make_session=Session, **session_args):
    """Runs one scenario against the binary named on the command line."""
    if len(sys.argv) < 2:
        print("usage: %s PATH-TO-HENON" % sys.argv[0])
        sys.exit(2)
    missing = [tool for tool in ("Xvfb", "xdotool", "dbus-daemon", "dbus-send",
                                 "/usr/libexec/at-spi-bus-launcher",
                                 "/usr/libexec/at-spi2-registryd") if shutil.which(tool) is None]
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        importlib.import_module("PIL.ImageGrab")
    except (ImportError, ValueError) as e:
        missing.append(str(e))
    if missing:
        print("%s: skipped: not installed: %s" % (scenario.__name__, ", ".join(missing)))
        sys.exit(SKIP)
    session = make_session(sys.argv[1], **session_args)
    started = time.monotonic()
    code = 0
    try:
        session.start()
        scenario(session)
        print("%s: passed in %.1fs" % (scenario.__name__, time.monotonic() - started))
    except Skip as s:
        print("%s: skipped: %s" % (scenario.__name__, s))
        code = SKIP
    except Exception:
        traceback.print_exc()
        try:
            path = os.path.join(tempfile.gettempdir(), "henon-e2e-%s.png" % scenario.__name__)
            session.grab().save(path)
            print("screen at failure: %s" % path)
        except Exception:
            pass
        try:
            print("top-level objects:", [(session.name(w), session.role(w))
                                         for w in session.top_levels()])
        except Exception:
            pass
        print("%s: FAILED" % scenario.__name__)
        code = 1
    finally:
        session.close()
    sys.exit(code)


# --- what the main window shows -------------------------------------------------------------

DEFAULTS = {"a": "1.4", "b": "0.3", "x0": "0.5", "y0": "0.5", "xbl": "-2", "ybl": "-1",
            "xtr": "2", "ytr": "1", "N": "1000"}


def interior(frame, inset=3):
    left, top, right, bottom = frame
    return (left + inset, top + inset, right - inset, bottom - inset)


def axes_drawn(img, frame):
    """Both axes: a dark column along the frame's left edge and a dark row along its bottom."""
    left, top, right, bottom = [int(round(v)) for v in frame]
    column = count_dark(img, (left - 2, top + 2, left + 3, bottom - 2))
    row = count_dark(img, (left + 2, bottom - 2, right - 2, bottom + 3))
    return column >= 0.9 * (bottom - top - 4) and row >= 0.9 * (right - left - 4)


def settled(grab, measure, timeout=10.0, what="the picture to settle"):
    """Grabs until two grabs in a row measure the same; returns the last grab."""
    last = [None, None]

    def same():
        img = grab()
        value = measure(img)
        done = value == last[0]
        last[0], last[1] = value, img
        return done
    wait_for(same, timeout, 0.1, what)
    return last[1]


# --- a private print server ----------------------------------------------------------------

class Cups:
    """A cupsd of our own on a private socket, with a PDF queue as the default printer."""

    PPD = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"

    def __init__(self, session):
        self.session = session
        self.root = os.path.join(session.tmp, "cups")
        self.socket = os.path.join(self.root, "cups.sock")
        self.proc = None
        self.out_dir = os.path.join(self.root, "pdf")

    @staticmethod
    def missing():
        """Why no print server can run here, or None."""
        if os.geteuid() != 0:
            return "cupsd needs root to run its backends"
        for tool in ("cupsd", "lpadmin", "lpstat", "pdftoppm"):
            if shutil.which(tool) is None:
                return "%s is not installed" % tool
        if not os.path.exists("/usr/lib/cups/backend/cups-pdf") or not os.path.exists(Cups.PPD):
            return "printer-driver-cups-pdf is not installed"
        return None

    @classmethod
    def pdf_printer(cls, session):
        """A server of our own, started, with a PDF queue as the default; skips where none can
        run."""
        reason = cls.missing()
        if reason:
            raise Skip(reason)
        cups = cls(session)
        cups.start()
        cups.add_pdf_queue()
        return cups

    def start(self):
        dirs = {name: os.path.join(self.root, name)
                for name in ("etc", "spool", "cache", "state", "tmp", "log")}
        for path in dirs.values():
            os.makedirs(path)
        os.chmod(self.root, 0o755)
        os.chmod(os.path.dirname(self.root), 0o755)
        os.chmod(dirs["tmp"], 0o1777)
        os.makedirs(os.path.join(dirs["etc"], "ppd"))
        with open(os.path.join(dirs["etc"], "cupsd.conf"), "w") as f:
            f.write("Listen %s\nLogLevel warn\nDefaultAuthType None\nBrowsing No\n"
                    "WebInterface No\n<Policy default>\n<Limit All>\nOrder allow,deny\nAllow all\n"
                    "</Limit>\n</Policy>\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                    % self.socket)
        with open(os.path.join(dirs["etc"], "cups-files.conf"), "w") as f:
            f.write("ServerRoot %(etc)s\nRequestRoot %(spool)s\nCacheDir %(cache)s\n"
                    "StateDir %(state)s\nTempDir %(tmp)s\nErrorLog %(log)s/error_log\n"
                    "AccessLog %(log)s/access_log\nPageLog %(log)s/page_log\n"
                    "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\nSystemGroup root\n"
                    "Sandboxing Relaxed\n" % dirs)
        self.env = dict(self.session.env, CUPS_SERVER=self.socket)
        self.proc = subprocess.Popen(
            ["cupsd", "-f", "-c", os.path.join(dirs["etc"], "cupsd.conf"),
             "-s", os.path.join(dirs["etc"], "cups-files.conf")],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=self.env)
        self.session.services.add(self.proc)
        self.session.cups = self

        def up():
            if self.proc.poll() is not None:
                raise Skip("cupsd cannot run here: %s" % self.proc.stderr.read().decode().strip())
            return self.answering()
        wait_for(up, 15, 0.1, "cupsd to answer")
        self.log_dir = dirs["log"]

    def answering(self):
        """Whether cupsd takes requests. `lpstat -r` would not do: it exits 0 even when it
        cannot connect."""
        return self.lp("lpstat", "-o").returncode == 0

    def lp(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=30)

    def add_pdf_queue(self):
        # An instance of the backend of our own, so that its files land in our directory even
        # while another run prints through the shared one.
        instance = "henone2e%d" % os.getpid()
        self.out_dir = os.path.join(self.root, "pdf")
        os.makedirs(self.out_dir)
        os.chmod(self.out_dir, 0o755)
        self.instance_conf = "/etc/cups/cups-pdf-%s.conf" % instance
        try:
            with open(self.instance_conf, "w") as f:
                f.write("Out %s\nAnonDirName %s\n" % (self.out_dir, self.out_dir))
        except OSError as e:
            self.instance_conf = None
            raise Skip("cannot configure a cups-pdf instance: %s" % e)
        out = self.lp("lpadmin", "-p", "PDF", "-v", "cups-pdf:/" + instance, "-P", self.PPD, "-E")
        if out.returncode != 0:
            raise Skip("lpadmin cannot add a cups-pdf queue: %s" % out.stderr.strip())
        out = self.lp("lpadmin", "-d", "PDF")
        check(out.returncode == 0, "lpadmin -d failed: %s" % out.stderr)
        check("PDF" in self.lp("lpstat", "-d").stdout, "PDF is not the default printer")

    def remove_default(self):
        check(self.lp("lpadmin", "-x", "PDF").returncode == 0, "lpadmin -x failed")

    def completed_jobs(self):
        out = self.lp("lpstat", "-W", "completed", "-o", "PDF")
        return [line for line in out.stdout.splitlines() if line.strip()]

    def error_log(self):
        try:
            with open(os.path.join(self.log_dir, "error_log")) as f:
                return f.read()
        except OSError:
            return ""

    def pdfs(self):
        if not os.path.isdir(self.out_dir):
            return []
        return sorted(os.path.join(self.out_dir, name) for name in os.listdir(self.out_dir)
                      if name.endswith(".pdf"))

    def stop(self):
        if getattr(self, "instance_conf", None):
            try:
                os.remove(self.instance_conf)
            except OSError:
                pass
            self.instance_conf = None
        if self.proc is not None:
            self.session.services.stop(self.proc)
            self.proc = None
        self.session.cups = None
