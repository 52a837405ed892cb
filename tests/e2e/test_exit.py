# SPDX-License-Identifier: MIT
"""Exit ends the program with every window, whatever is open."""

import subprocess

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


if __name__ == "__main__":
    harness.run(exit_)
