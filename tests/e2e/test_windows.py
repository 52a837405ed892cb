# SPDX-License-Identifier: MIT
"""The time-series and histogram windows and every item that moves between the windows."""

import harness
from harness import check, interior, wait_for


def panels(s, title):
    """Inner rectangles of the left and right panel of a time-series or histogram window."""
    surface = s.drawing_area(title)
    x, y, w, h = s.extents(surface)
    top, bottom = y + 0.1 * h, y + 0.9 * h
    return (interior((x + 0.07 * w, top, x + 0.48 * w, bottom)),
            interior((x + 0.55 * w, top, x + 0.96 * w, bottom)))


def shown(s, title):
    return s.window(title) is not None and s.xwindow(title) is not None


def hidden(s, title):
    return s.window(title) is None and s.xwindow(title) is None


def wait_shown(s, title):
    wait_for(lambda: shown(s, title), 10, what="window %r to show" % title)


def wait_hidden(s, title):
    wait_for(lambda: hidden(s, title), 10, what="window %r to hide" % title)


def on_top(s, title):
    """The window the pointer finds at the middle of the screen, where all three overlap."""
    wid = s.xwindow(title)
    s.move_pointer(s.width // 2, s.height // 2)
    return wid is not None and s.pointer_client() == wid


def main_plot_shown(s):
    frame = s.frame_rect()
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, interior(frame)))
    return harness.count_dark(img, interior(frame)) > 500 and harness.axes_drawn(img, frame)


def windows(s):
    s.start_app()

    # 1D series from the main window: both panels filled, the main window stays open behind.
    s.choose("2D Time Series", "1D Time Series")
    wait_shown(s, "1D Time Series")
    check(s.no_dialog(), "the 1D series showed a message box")
    wait_for(lambda: on_top(s, "1D Time Series"), 5, what="the 1D window in front")
    check(shown(s, "2D Time Series"), "the main window was hidden by the 1D series")
    left, right = panels(s, "1D Time Series")
    img = harness.settled(s.grab, lambda im: (harness.count_dark(im, left), harness.count_dark(im, right)))
    for name, box in (("x", left), ("y", right)):
        dark = harness.count_dark(img, box)
        check(dark > 300, "the %s series panel has only %d dark pixels" % (name, dark))
    # Points spread over the whole time axis, from step 1 to step N.
    xs = sorted(p[0] for p in harness.dark_pixels(img, left))
    check(xs[0] - left[0] < 0.05 * (left[2] - left[0]) and left[2] - xs[-1] < 0.05 * (left[2] - left[0]),
          "the x series does not span the panel")

    # Close hides it; the next 1D run shows it again.
    s.choose("1D Time Series", "Close")
    wait_hidden(s, "1D Time Series")
    check(shown(s, "2D Time Series"), "Close hid the main window")
    s.choose("2D Time Series", "1D Time Series")
    wait_shown(s, "1D Time Series")

    # "2D Time Series" of the 1D window plots in the main window and brings it to the front.
    s.choose("1D Time Series", "2D Time Series")
    wait_for(lambda: on_top(s, "2D Time Series"), 5, what="the main window in front")
    wait_for(lambda: main_plot_shown(s), 10, what="the 2D plot in the main window")
    check(shown(s, "1D Time Series"), "the 1D window was hidden by its 2D item")

    # Histogram with both prompts answered.
    s.choose("2D Time Series", "1D Time Series")
    wait_for(lambda: on_top(s, "1D Time Series"), 5, what="the 1D window in front")
    s.choose("1D Time Series", "Histogram")
    s.answer_input("Input m", "20")
    s.answer_input("Enter maximum y", "200")
    wait_shown(s, "Histogram")
    check(s.no_dialog(), "the histogram showed a message box")
    wait_for(lambda: on_top(s, "Histogram"), 5, what="the histogram in front")
    hl, hr = panels(s, "Histogram")
    img = harness.settled(s.grab, lambda im: (harness.count_dark(im, hl), harness.count_dark(im, hr)))
    for name, box in (("x", hl), ("y", hr)):
        # A bar is a box standing on the x axis: dark columns rising from the bottom edge.
        bottom = int(box[3]) - 1
        rising = [x for x in range(int(box[0]), int(box[2]))
                  if harness.count_dark(img, (x, bottom - 20, x + 1, bottom)) == 20]
        check(len(rising) >= 4, "the %s histogram has %d bar edges" % (name, len(rising)))
        check(harness.count_dark(img, box) > 200, "the %s histogram is nearly empty" % name)

    # "1D Time Series" of the histogram brings the 1D window to the front and leaves it open.
    s.choose("Histogram", "1D Time Series")
    wait_for(lambda: on_top(s, "1D Time Series"), 5, what="the 1D window in front")
    check(shown(s, "Histogram"), "the histogram was hidden by its 1D item")
    check(s.no_dialog(), "a message box after the histogram's 1D item")

    # "2D Time Series" of the histogram plots and shows the main window.
    s.choose("2D Time Series", "Clear")
    s.choose("Histogram", "2D Time Series")
    wait_for(lambda: on_top(s, "2D Time Series"), 5, what="the main window in front")
    wait_for(lambda: main_plot_shown(s), 10, what="the 2D plot in the main window")
    check(shown(s, "Histogram") and shown(s, "1D Time Series"), "a window was hidden by a 2D item")

    s.choose("Histogram", "Close")
    wait_hidden(s, "Histogram")
    check(shown(s, "1D Time Series") and shown(s, "2D Time Series"), "Close hid another window")

    # Cancel on the first prompt: its message, then the second prompt all the same; nothing drawn.
    s.choose("1D Time Series", "Histogram")
    s.answer_input("Input m", None)
    s.answer_message("Enter a valid number")
    s.answer_input("Enter maximum y", "200")
    check(s.no_dialog(), "a message after the second prompt")
    check(hidden(s, "Histogram"), "the histogram window came back after a cancelled entry")

    # A zero maximum is refused even after a good m.
    s.choose("1D Time Series", "Histogram")
    s.answer_input("Input m", "20")
    s.answer_input("Enter maximum y", "0")
    s.answer_message("Invalid number.")
    check(s.no_dialog(), "a second message for a zero maximum")
    check(hidden(s, "Histogram"), "the histogram window came back after a refused maximum")

    s.choose("1D Time Series", "Close")
    wait_hidden(s, "1D Time Series")
    check(shown(s, "2D Time Series"), "the main window went away")


if __name__ == "__main__":
    harness.run(windows)
