# SPDX-License-Identifier: MIT
"""Printing each window to a PDF queue: the page, then a queue that refuses jobs, a stopped
queue, a print server that hangs, and no printer at all."""

import os
import re
import signal
import subprocess
import time

import harness
from harness import Cups, check, wait_for


def render(s, pdf, dpi=100):
    """The first page as a grey image."""
    from PIL import Image
    stem = os.path.join(s.tmp, "page")
    subprocess.run(["pdftoppm", "-r", str(dpi), "-png", "-singlefile", "-f", "1", "-l", "1", pdf,
                    stem], check=True, timeout=60)
    return Image.open(stem + ".png").convert("L")


def page_info(pdf):
    out = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, timeout=30).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", out, re.M).group(1))
    w, h = (float(v) for v in re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", out, re.M).groups())
    rot = re.search(r"^Page rot:\s+(\d+)", out, re.M)
    if rot and int(rot.group(1)) % 180:
        w, h = h, w
    return pages, w, h


def ink_box(img, threshold=200):
    """The smallest box holding every pixel darker than the threshold."""
    return img.convert("L").point(lambda v: 255 if v < threshold else 0).getbbox()


def printable_area(ppd):
    """The default paper and its printable area, in points, as the queue's PPD gives them."""
    with open(ppd) as f:
        text = f.read()
    size = re.search(r"^\*DefaultPageSize:\s*(\S+)", text, re.M).group(1)
    dims = re.search(r"^\*PaperDimension %s/[^:]*:\s*\"([\d.]+) ([\d.]+)\"" % size, text, re.M)
    area = re.search(r"^\*ImageableArea %s/[^:]*:\s*\"([\d.]+) ([\d.]+) ([\d.]+) ([\d.]+)\"" % size,
                     text, re.M)
    return tuple(float(v) for v in dims.groups()), tuple(float(v) for v in area.groups())


def upright(page):
    """The page as the picture stands: a landscape page on portrait paper comes back turned a
    quarter to the left, as CUPS turns it to print."""
    return page.rotate(-90, expand=True) if page.size[1] > page.size[0] else page


def check_page(s, pdf, screen, client):
    """One page of the default paper holding the window's picture turned to landscape, filling
    the printable area, centred, its aspect kept, and at least as dark as on the screen."""
    pages, w, h = page_info(pdf)
    check(pages == 1, "%d pages printed, expected one" % pages)
    (paper_w, paper_h), (llx, lly, urx, ury) = printable_area(Cups.PPD)
    check(abs(min(w, h) - paper_w) < 2 and abs(max(w, h) - paper_h) < 2,
          "page of %g x %g pt, the default paper is %g x %g" % (w, h, paper_w, paper_h))
    w, h = paper_h, paper_w

    # Where the picture must be: the client area scaled to fit the printable area of the
    # paper turned a quarter to the left.
    cx, cy, cw, ch = client
    left, top, right, bottom = lly, llx, paper_h - ury, paper_w - urx
    area_w, area_h = w - left - right, h - top - bottom
    scale = min(area_w / cw, area_h / ch)
    pic_x = left + (area_w - cw * scale) / 2
    pic_y = top + (area_h - ch * scale) / 2
    sx0, sy0, sx1, sy1 = ink_box(screen.crop((cx, cy, cx + cw, cy + ch)))
    expected = (pic_x + sx0 * scale, pic_y + sy0 * scale, pic_x + sx1 * scale, pic_y + sy1 * scale)

    page = upright(render(s, pdf, 100))
    dots = page.size[0] / w
    found = [v / dots for v in ink_box(page)]
    for name, want, got in zip(("left", "top", "right", "bottom"), expected, found):
        check(abs(want - got) < 4 + 0.01 * w,
              "the picture's %s edge at %.0f pt on the page, expected %.0f pt (all: %s, expected %s)"
              % (name, got, want, ["%.0f" % v for v in found], ["%.0f" % v for v in expected]))

    # Single points and thin lines: no lighter than on the screen.
    fine = upright(render(s, pdf, 300))
    fine_dots = fine.size[0] / w
    pic = [int(round(v * fine_dots)) for v in (pic_x, pic_y, pic_x + cw * scale,
                                                 pic_y + ch * scale)]
    on_page = harness.count_dark(fine, pic) / float((pic[2] - pic[0]) * (pic[3] - pic[1]))
    on_screen = harness.count_dark(screen, (cx, cy, cx + cw, cy + ch)) / float(cw * ch)
    check(on_page >= 0.9 * on_screen,
          "the printed picture is lighter than the screen (%.4f of it dark, %.4f on the screen)"
          % (on_page, on_screen))
    print("printed page: %g x %g pt, picture %s pt, %.4f of it dark (%.4f on the screen)"
          % (w, h, ["%.0f" % v for v in found], on_page, on_screen))
    return page


def dark_rows(page):
    data = page.load()
    w, h = page.size
    # Single points print as grey specks once the page is scaled down; anything short of white
    # counts as ink.
    return [sum(1 for x in range(w) if data[x, y] < 200) for y in range(h)]


def new_pdfs(cups, seen):
    """PDFs written since they were last seen; the queue reuses a file name for a title."""
    found = []
    for path in cups.pdfs():
        stat = os.stat(path)
        if stat.st_size and (path, stat.st_mtime_ns) not in seen:
            found.append(path)
    return found


def mark_seen(seen, paths):
    seen.extend((p, os.stat(p).st_mtime_ns) for p in paths)


def print_and_collect(s, cups, title, seen):
    jobs = len(cups.completed_jobs())
    s.choose(title, "Print")
    check(s.no_dialog(1.0), "printing %r showed a message box" % title)
    wait_for(lambda: len(cups.completed_jobs()) > jobs, 30, 0.2, "the print job of %r" % title)
    new = wait_for(lambda: new_pdfs(cups, seen), 30, 0.2,
                   "a PDF of %r (cupsd log: %s)" % (title, cups.error_log()[-500:]))
    mark_seen(seen, new)
    return new[0]


def jobs(cups):
    out = cups.lp("lpstat", "-W", "all", "-o", "PDF")
    return [line for line in out.stdout.splitlines() if line.strip()]


def refused_queue(s, cups, seen):
    """A queue that does not accept jobs: told at once, nothing printed, nothing queued."""
    check(cups.lp("cupsreject", "PDF").returncode == 0, "cupsreject failed")
    before = jobs(cups)
    s.choose("2D Time Series", "Print")
    s.answer_message("Cannot print: device unavailable.")
    check(s.no_dialog(), "a second message after a refused print")
    time.sleep(2)
    check(jobs(cups) == before, "a refused print left a job: %s" % jobs(cups))
    check(new_pdfs(cups, seen) == [], "a refused print made a PDF")
    check(cups.lp("cupsaccept", "PDF").returncode == 0, "cupsaccept failed")


def stopped_queue(s, cups, seen):
    """A stopped queue keeps the job without a message and prints it once started again."""
    check(cups.lp("cupsdisable", "PDF").returncode == 0, "cupsdisable failed")
    before = len(cups.completed_jobs())
    s.choose("2D Time Series", "Print")
    check(s.no_dialog(4.0), "a print to a stopped queue showed a message")
    waiting = cups.lp("lpstat", "-W", "not-completed", "-o", "PDF").stdout.split("\n")
    check(len([line for line in waiting if line.strip()]) == 1,
          "the stopped queue holds %r, expected one job" % waiting)
    check(new_pdfs(cups, seen) == [], "a stopped queue printed")
    check(cups.lp("cupsenable", "PDF").returncode == 0, "cupsenable failed")
    wait_for(lambda: len(cups.completed_jobs()) > before, 30, 0.2, "the held job to print")
    mark_seen(seen, wait_for(lambda: new_pdfs(cups, seen), 30, 0.2, "the PDF of the held job"))


def hung_server(s, cups, seen):
    """A print server that stops answering: the windows keep repainting and the failure is
    told within seconds; printing works again once the server is back."""
    wid = s.xwindow("2D Time Series")
    s.xdo("windowraise", str(wid))
    geometry = dict(line.split("=") for line in
                    s.xdo("getwindowgeometry", "--shell", str(wid)).stdout.split())
    width, height = geometry["WIDTH"], geometry["HEIGHT"]
    frame = s.frame_rect()
    before = harness.settled(s.grab, lambda im: harness.count_dark(im, harness.interior(frame)))
    before = harness.count_dark(before, harness.interior(frame))
    os.kill(cups.proc.pid, signal.SIGSTOP)
    try:
        started = time.monotonic()
        s.choose("2D Time Series", "Print")
        # Shrunk and restored, the window has to paint what was cut off.
        s.xdo("windowsize", str(wid), str(int(width) // 2), str(int(height) // 2))
        time.sleep(0.5)
        s.xdo("windowsize", str(wid), width, height)
        time.sleep(1.0)
        check(not s.dialogs(), "the hung print ended too early for the repaint check")
        # The windows answer while the print waits: the accessibility bus reaches them through
        # the same event loop that paints.
        try:
            answered = s.box_text("a")
        except AssertionError:
            answered = None
        check(answered == "1.4", "the main window did not answer while the server hung")
        dark = harness.count_dark(s.grab(), harness.interior(frame))
        check(abs(dark - before) <= 0.05 * before + 20,
              "the window did not repaint while the server hung (%d dark pixels, %d before)"
              % (dark, before))
        # A click on Clear meanwhile waits for the print, as during any command.
        x, y, w, h = s.extents(s.menu_item(s.main, "Clear"))
        s.focus_window_at(x + w // 2, y + h // 2)
        s.xdo("click", "1")
        time.sleep(0.5)
        check(harness.count_dark(s.grab(), harness.interior(frame)) >= 0.95 * before,
              "Clear ran while the print waited")
        s.answer_message("Cannot print: device unavailable.", 15 - (time.monotonic() - started))
        print("hung print server: %.1f s from Print to the message" % (time.monotonic() - started))
        check(s.no_dialog(), "a second message after the hung print")
        wait_for(lambda: harness.count_dark(s.grab(), harness.interior(frame)) == 0, 5,
                 what="the Clear clicked during the print to run after it")
    finally:
        os.kill(cups.proc.pid, signal.SIGCONT)
    wait_for(cups.answering, 15, 0.2, "cupsd to answer again")
    print_and_collect(s, cups, "2D Time Series", seen)


def printing(s):
    cups = Cups.pdf_printer(s)
    s.start_app()
    seen = []
    try:
        s.choose("2D Time Series", "2D Time Series")
        frame = s.frame_rect()
        screen = harness.settled(s.grab,
                                 lambda im: harness.count_dark(im, harness.interior(frame)))
        client = s.plot_area()

        started = time.monotonic()
        pdf = print_and_collect(s, cups, "2D Time Series", seen)
        print("print to PDF: %.1f s from Print to the PDF" % (time.monotonic() - started))
        page = check_page(s, pdf, screen, client)
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

        # With the text cursor blinking in a box, two prints of the window come out alike.
        s.click_node(s.text_box("a"))
        pages = []
        for _ in range(2):
            time.sleep(0.3)
            pages.append(list(render(s, print_and_collect(s, cups, "2D Time Series", seen),
                                     150).getdata()))
        check(pages[0] == pages[1], "two prints of the main window differ")

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

        refused_queue(s, cups, seen)
        stopped_queue(s, cups, seen)
        hung_server(s, cups, seen)

        # No default printer: the device is unavailable, and the window stays as it was.
        cups.remove_default()
        # Away from the main window, whose text cursor blinks while it is active.
        s.xdo("windowactivate", "--sync", str(s.xwindow("Histogram")))
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
