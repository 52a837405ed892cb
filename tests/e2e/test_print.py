"""Printing each window to a PDF queue, then printing with no printer."""

import os
import subprocess

import harness
from harness import Cups, Skip, check, wait_for


def render(s, pdf):
    """The first page as a grey image, 100 dots per inch."""
    from PIL import Image
    stem = os.path.join(s.tmp, "page")
    subprocess.run(["pdftoppm", "-r", "100", "-png", "-singlefile", "-f", "1", "-l", "1", pdf, stem],
                   check=True, timeout=30)
    return Image.open(stem + ".png").convert("L")


def dark_rows(page):
    data = page.load()
    w, h = page.size
    # Single points print as grey specks once the page is scaled down; anything short of white
    # counts as ink.
    return [sum(1 for x in range(w) if data[x, y] < 200) for y in range(h)]


def print_and_collect(s, cups, title, seen):
    jobs = len(cups.completed_jobs())
    s.choose(title, "Print")
    check(s.no_dialog(1.0), "printing %r showed a message box" % title)
    wait_for(lambda: len(cups.completed_jobs()) > jobs, 30, 0.2, "the print job of %r" % title)
    new = wait_for(lambda: [p for p in cups.pdfs() if p not in seen and os.path.getsize(p)], 30, 0.2,
                   "a PDF of %r (cupsd log: %s)" % (title, cups.error_log()[-500:]))
    seen.extend(new)
    return new[0]


def printing(s):
    reason = Cups.missing()
    if reason:
        raise Skip(reason)
    cups = Cups(s)
    cups.start()
    cups.add_pdf_queue()
    s.start_app()
    seen = []
    try:
        s.choose("2D Time Series", "2D Time Series")
        frame = s.frame_rect()
        harness.settled(s.grab, lambda im: harness.count_dark(im, harness.interior(frame)))

        pdf = print_and_collect(s, cups, "2D Time Series", seen)
        page = render(s, pdf)
        rows = dark_rows(page)
        inked = [y for y, n in enumerate(rows) if n]
        check(inked, "the printed page of the main window is blank")
        top, bottom = inked[0], inked[-1]
        height = bottom - top
        panel = sum(rows[top:top + int(0.06 * height)])
        plot = sum(rows[top + int(0.15 * height):bottom + 1])
        check(panel > 50, "no parameter panel on the printed page (%d dark pixels)" % panel)
        check(plot > 300, "no plot on the printed page (%d dark pixels)" % plot)
        # The x axis prints as one long dark row well below the panel.
        widest = max(range(top + int(0.5 * height), bottom + 1), key=lambda y: rows[y])
        check(rows[widest] > 0.5 * page.size[0], "no x axis on the printed page")
        # Between the panel and the plot lies a blank band, as on the screen.
        check(min(rows[top + int(0.07 * height):top + int(0.12 * height)]) == 0,
              "the panel and the plot run together on the printed page")

        # The other two windows print their own pictures.
        s.choose("2D Time Series", "1D Time Series")
        wait_for(lambda: s.window("1D Time Series"), 10, what="the 1D window")
        pdf2 = print_and_collect(s, cups, "1D Time Series", seen)
        check(sum(dark_rows(render(s, pdf2))) > 300, "the printed 1D window is nearly blank")
        s.choose("1D Time Series", "Histogram")
        s.answer_input("Input m", "20")
        s.answer_input("Enter maximum y", "200")
        wait_for(lambda: s.window("Histogram"), 10, what="the histogram window")
        pdf3 = print_and_collect(s, cups, "Histogram", seen)
        check(sum(dark_rows(render(s, pdf3))) > 300, "the printed histogram is nearly blank")

        # No default printer: the device is unavailable, and the window stays as it was.
        cups.remove_default()
        before = s.grab()
        s.choose("Histogram", "Print")
        s.answer_message("Cannot print: device unavailable.")
        check(s.no_dialog(), "a second message after a failed print")
        check(list(s.grab().getdata()) == list(before.getdata()), "a failed print changed the window")

        # No print server at all reads the same.
        cups.stop()
        s.choose("2D Time Series", "Print")
        s.answer_message("Cannot print: device unavailable.")
        check(s.no_dialog(), "a second message after a failed print")
    finally:
        cups.stop()


if __name__ == "__main__":
    harness.run(printing)
