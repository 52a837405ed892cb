# SPDX-License-Identifier: MIT
"""Exit ends the program with every window, whatever is open."""

import subprocess
import time

import harness
from harness import check, wait_for


def exit_(s):
    s.start_app()
    pid = s.app_proc.pid
    s.choose("2D Time Series", "1D Time Series")
    wait_for(lambda: s.window("1D Time Series"), 10, what="the 1D window")
    s.choose("1D Time Series", "Histogram")
    s.answer_input("Input m", "10")
    s.answer_input("Enter maximum y", "300")
    wait_for(lambda: s.window("Histogram"), 10, what="the histogram window")

    check(len(s.xdo("search", "--pid", str(pid)).stdout.split()) >= 3,
          "the three windows are not all mapped before Exit")
    main = s.window("2D Time Series")
    try:
        s.activate(s.menu_item(main, "Exit"))
    except Exception:
        pass  # the program may be gone before it answers
    try:
        code = s.app_proc.wait(10)
    except subprocess.TimeoutExpired:
        raise AssertionError("henon still runs 10s after Exit")
    check(code == 0, "henon exited with %s" % code)
    left = s.xdo("search", "--pid", str(pid)).stdout.split()
    check(not left, "X windows of henon left behind: %r" % left)
    for title in ("2D Time Series", "1D Time Series", "Histogram"):
        check(s.xdo("search", "--name", title).stdout.strip() == "",
              "a window %r is left behind" % title)

    # Exit chosen during a long plot, then another command: the plot ends, and with it the
    # program; the command chosen after Exit never runs.
    s.start_app()
    pid = s.app_proc.pid
    s.type_into("N", "1000000000")
    items = {c: s.extents(s.menu_item(s.main, c)) for c in ("2D Time Series", "Exit",
                                                             "1D Time Series")}
    started = time.monotonic()
    for caption in ("2D Time Series", "Exit", "1D Time Series"):
        x, y, w, h = items[caption]
        s.focus_window_at(x + w // 2, y + h // 2)
        s.xdo("click", "1")
        time.sleep(0.5)
    check(s.app_proc.poll() is None, "the plot ended before Exit was chosen")
    wait_for(lambda: not s.xdo("search", "--onlyvisible", "--pid", str(pid)).stdout.split(), 120,
             0.05, "the windows to go")
    gone = time.monotonic()
    try:
        s.app_proc.wait(5)
    except subprocess.TimeoutExpired:
        raise AssertionError("henon still runs 5 s after its windows went")
    print("long plot, Exit: windows gone %.1f s after the plot began, the process %.2f s later"
          % (gone - started, time.monotonic() - gone))
    check(time.monotonic() - gone < 1.0, "henon ran on for %.1f s after its windows went"
          % (time.monotonic() - gone))


if __name__ == "__main__":
    harness.run(exit_)
