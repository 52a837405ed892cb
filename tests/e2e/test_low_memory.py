# SPDX-License-Identifier: MIT
"""A main window grown far past what memory allows a drawing of its size: the plot draws what
fits into the drawing it had, and the program goes on."""

import os
import subprocess
import time

import harness
from harness import Skip, check, wait_for

BIG = (12000, 9000)


def low_memory(s):
    out = subprocess.run(["ldd", s.binary], capture_output=True, text=True).stdout
    if "libasan" not in out:
        raise Skip("the allocation limit needs a build with the address sanitizer")
    # As a machine short of memory has it: an allocation past 300 MB fails, and the program is
    # told so instead of being ended.
    options = os.environ.get("ASAN_OPTIONS", "")
    s.start_app(ASAN_OPTIONS=(options + ":" if options else "")
                + "allocator_may_return_null=1:max_allocation_size_mb=300:detect_leaks=0")
    s.choose("2D Time Series", "2D Time Series")
    frame = s.frame_rect()
    before = harness.settled(s.grab, lambda im: harness.count_dark(im, harness.interior(frame)))
    drawn = harness.count_dark(before, harness.interior(frame))
    wid = s.xwindow("2D Time Series")
    geometry = s.geometry(wid)
    s.xdo("windowsize", str(wid), str(BIG[0]), str(BIG[1]))
    wait_for(lambda: s.geometry(wid)[2] > 4000, 10, what="the window to grow")
    s.choose("2D Time Series", "2D Time Series")
    time.sleep(2)
    if s.app_proc.poll() is not None:
        print(open(os.path.join(s.tmp, "henon.log")).read()[-4000:])
    check(s.app_proc.poll() is None, "henon ended with %s" % s.app_proc.poll())
    check(s.no_dialog(), "a message box after the plot")
    # The program still answers, and back at its size it plots as before.
    check(s.box_text("a") == "1.4", "the program does not answer after the plot")
    s.xdo("windowsize", "--sync", str(wid), str(geometry[2]), str(geometry[3]))
    wait_for(lambda: s.geometry(wid)[2:] == geometry[2:], 10, what="the window back at its size")
    s.choose("2D Time Series", "2D Time Series")
    after = harness.settled(s.grab, lambda im: harness.count_dark(im, harness.interior(frame)))
    check(harness.count_dark(after, harness.interior(frame)) == drawn,
          "the plot after the growth differs from the one before it")


if __name__ == "__main__":
    harness.run(low_memory)
