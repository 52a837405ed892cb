# SPDX-License-Identifier: MIT
"""A print server that stalls just after Print was chosen, or whose answer to one request comes
late or never: a print the program says failed never prints later, and the job it gave up on
leaves the queue; Exit chosen while a print waits ends the program after it."""

import os
import signal
import subprocess
import time

import harness
from harness import Cups, check, wait_for
from ipp_proxy import IppProxy
from test_print import mark_seen, new_pdfs

# From Print to the stall, in seconds: within the first few the job is not yet the server's.
DELAYS = (0.0, 0.05, 0.1, 0.3, 0.6)


# Each answer a print waits for, late past the program's deadline or lost, and whether the print
# is then told as failed: up to the release the job is held and withdrawn, after it the job is
# the server's.
LATE = 11.0
ANSWERS = (("CUPS-Get-Default", 0x4001, True), ("Get-Printer-Attributes", 0x000B, True),
           ("Create-Job", 0x0005, True), ("Send-Document", 0x0006, True),
           ("Release-Job", 0x000D, False), ("Get-Job-Attributes", 0x0009, False))


def pending(cups):
    out = cups.lp("lpstat", "-W", "not-completed", "-o", "PDF")
    return [line for line in out.stdout.splitlines() if line.strip()]


def stalled_print(s, cups, seen, delay):
    """Print, stop the server `delay` seconds later, start it again once the outcome is told;
    True when the print was told as failed."""
    x, y, w, h = s.extents(s.menu_item(s.main, "Print"))
    s.focus_window_at(x + w // 2, y + h // 2)
    started = time.monotonic()
    s.xdo("click", "1")
    time.sleep(max(0.0, started + delay - time.monotonic()))
    os.kill(cups.proc.pid, signal.SIGSTOP)
    try:
        # Either the print fails and says so, or the server had the job already and says
        # nothing; the program gives up on a silent server after eight seconds.
        told = None
        deadline = time.monotonic() + 11
        while told is None and time.monotonic() < deadline:
            if s.dialogs():
                told, dlg = s.wait_message()
            time.sleep(0.1)
    finally:
        os.kill(cups.proc.pid, signal.SIGCONT)
    wait_for(cups.answering, 15, 0.2, "cupsd to answer again")
    if told is None:
        mark_seen(seen, wait_for(lambda: new_pdfs(cups, seen), 30, 0.2, "the PDF of the print"))
        return False
    check(told == "Cannot print: device unavailable.", "message %r" % told)
    s.press_button(dlg, "OK")
    s.wait_gone(dlg)
    # The job the failed print made is withdrawn once the server answers, and never prints.
    wait_for(lambda: not pending(cups), 15, 0.2, "the failed print's job to go: %r" % pending(cups))
    time.sleep(3)
    check(new_pdfs(cups, seen) == [], "a print told as failed printed after all")
    return True


def late_answer(s, cups, proxy, seen, name, op, delay, failing):
    """One print whose answer to `op` comes `delay` seconds late, or never when None."""
    proxy.hold(op, delay)
    started = time.monotonic()
    s.choose("2D Time Series", "Print")
    told = None
    while told is None and time.monotonic() < started + 12:
        if s.dialogs():
            told, dlg = s.wait_message()
        time.sleep(0.1)
    how = "%s %s" % (name, "lost" if delay is None else "%g s late" % delay)
    check(not proxy.armed(), "%s: the print never asked for it (asked: %s)" % (how, proxy.ops))
    if told is None:
        check(not failing, "%s: the print was not told as failed" % how)
        mark_seen(seen, wait_for(lambda: new_pdfs(cups, seen), 30, 0.2, "the PDF (%s)" % how))
        check(s.no_dialog(), "%s: a message after the print" % how)
        wait_for(lambda: not pending(cups), 15, 0.2, "%s: the queue to empty" % how)
        return "printed"
    check(failing, "%s: told %r" % (how, told))
    check(told == "Cannot print: device unavailable.", "%s: message %r" % (how, told))
    elapsed = time.monotonic() - started
    s.press_button(dlg, "OK")
    s.wait_gone(dlg)
    # Past the late answer, the job it gave up on is withdrawn and never prints.
    if delay is not None:
        time.sleep(max(0.0, started + delay - time.monotonic()))
    wait_for(lambda: not pending(cups), 15, 0.2, "%s: the job to go: %r" % (how, pending(cups)))
    time.sleep(2)
    check(new_pdfs(cups, seen) == [], "%s: a print told as failed printed after all" % how)
    return "told at %.1f s" % elapsed


def print_stall(s):
    cups = Cups.pdf_printer(s)
    proxy = IppProxy(os.path.join(cups.root, "proxy.sock"), cups.socket)
    s.start_app(CUPS_SERVER=proxy.path)
    seen = []
    try:
        s.choose("2D Time Series", "2D Time Series")
        for name, op, failing in ANSWERS:
            for delay in (LATE, None):
                print("%s %s: %s" % (name, "lost" if delay is None else "late",
                                     late_answer(s, cups, proxy, seen, name, op, delay, failing)))
        told = [stalled_print(s, cups, seen, delay) for delay in DELAYS]
        print("stalled server: %d of %d prints told as failed and withdrawn, the others printed"
              % (sum(told), len(told)))
        check(not pending(cups), "jobs left in the queue: %r" % pending(cups))

        # Exit chosen while a print waits for a stopped server ends the program after it.
        x, y, w, h = s.extents(s.menu_item(s.main, "Exit"))
        os.kill(cups.proc.pid, signal.SIGSTOP)
        try:
            s.choose("2D Time Series", "Print")
            s.focus_window_at(x + w // 2, y + h // 2)
            s.xdo("click", "1")
            time.sleep(1)
            check(s.app_proc.poll() is None, "Exit did not wait for the print")
            text, dlg = s.wait_message(15)
        finally:
            os.kill(cups.proc.pid, signal.SIGCONT)
        s.press_button(dlg, "OK")
        answered = time.monotonic()
        try:
            s.app_proc.wait(5)
        except subprocess.TimeoutExpired:
            raise AssertionError("henon still runs 5 s after the print it waited for ended")
        check(time.monotonic() - answered < 1.5, "Exit took %.1f s after the print ended"
              % (time.monotonic() - answered))
    finally:
        proxy.stop()
        cups.stop()


if __name__ == "__main__":
    harness.run(print_stall)
