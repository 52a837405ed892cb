# SPDX-License-Identifier: MIT
"""Messages of the main window: the cut-off stop, rejected parameter texts, cut-off limits."""

import harness
from harness import check, interior, axes_drawn


def picture(s, frame):
    inner = interior(frame)
    return harness.settled(s.grab, lambda im: harness.count_dark(im, inner))


def whole_plot_dark(img, frame):
    return harness.count_dark(img, (frame[0] - 60, frame[1] - 30, frame[2] + 40, frame[3] + 30))


def messages(s):
    s.start_app()
    frame = s.frame_rect()
    inner = interior(frame)

    # Escaping orbit: step 1 leaves the view, step 2 passes -1000.
    s.type_into("x0", "10")
    s.choose("2D Time Series", "2D Time Series")
    s.answer_message("An overflow has occured. Only points up to 1 are ploted.")
    check(s.no_dialog(), "a second message after the cut-off stop")
    img = picture(s, frame)
    check(axes_drawn(img, frame), "the axes are gone after the cut-off stop")
    check(harness.count_dark(img, inner) == 0, "a point was drawn for an orbit that never entered the view")

    # Back to the defaults: a full plot to be wiped by the failing read below.
    s.type_into("x0", "0.5")
    s.choose("2D Time Series", "2D Time Series")
    check(harness.count_dark(picture(s, frame), inner) > 500, "the default plot is missing")
    check(s.no_dialog(), "the default plot showed a message")

    # An empty box: two messages, in this order, and an empty plot area afterwards.
    s.type_into("ybl", "")
    s.choose("2D Time Series", "2D Time Series")
    s.answer_message("Please enter all values")
    s.answer_message("Please enter valid numerical values.")
    check(s.no_dialog(), "a third message after an empty box")
    check(whole_plot_dark(picture(s, frame), frame) == 0, "the plot area was not cleared")

    # Letters alone give the second message only.
    s.type_into("ybl", "abc")
    s.choose("2D Time Series", "2D Time Series")
    s.answer_message("Please enter valid numerical values.")
    check(s.no_dialog(), "more than one message for a non-numeric box")

    # An empty view window is out of range.
    s.type_into("ybl", "1")
    s.choose("2D Time Series", "2D Time Series")
    s.answer_message("Invalid parameter value")
    check(s.no_dialog(), "more than one message for a range error")
    check(whole_plot_dark(picture(s, frame), frame) == 0, "a picture after a range error")
    s.type_into("ybl", "-1")

    # A cancelled or non-numeric limit is refused and changes nothing.
    s.choose("2D Time Series", "Cut-off", "Maxium x")
    s.answer_input("Specify Maxium x", None)
    s.answer_message("Invalid number")
    s.choose("2D Time Series", "Cut-off", "Minimun y")
    s.answer_input("Specify Minimun y", "abc")
    s.answer_message("Invalid number")
    s.choose("2D Time Series", "2D Time Series")
    check(harness.count_dark(picture(s, frame), inner) > 500, "a refused limit changed the plot")
    check(s.no_dialog(), "a refused limit stopped the orbit")

    # A maximum x of 1.2: the eleventh iterate (x = 1.2439) escapes, ten points were drawn.
    s.choose("2D Time Series", "Cut-off", "Maxium x")
    s.answer_input("Specify Maxium x", "1.2")
    check(s.no_dialog(), "an accepted limit showed a message")
    s.choose("2D Time Series", "2D Time Series")
    s.answer_message("An overflow has occured. Only points up to 10 are ploted.")
    img = picture(s, frame)
    dark = harness.count_dark(img, inner)
    check(0 < dark <= 10, "%d dark pixels for a ten-step orbit" % dark)
    # The limit outlives later reads of the parameters.
    s.choose("2D Time Series", "2D Time Series")
    s.answer_message("An overflow has occured. Only points up to 10 are ploted.")

    # The other three items open their own input boxes.
    for caption, title in (("Maxium y", "Specify Maxium y"), ("Minimun x", "Specify Minimun x"),
                           ("Minimun y", "Specify Minimun y")):
        s.choose("2D Time Series", "Cut-off", caption)
        s.answer_input(title, "-5000" if caption.startswith("Min") else "5000")
    s.choose("2D Time Series", "Cut-off", "Maxium x")
    s.answer_input("Specify Maxium x", "1e3")
    s.choose("2D Time Series", "2D Time Series")
    check(harness.count_dark(picture(s, frame), inner) > 500, "the restored limits still stop the orbit")
    check(s.no_dialog(), "the restored limits still stop the orbit")


if __name__ == "__main__":
    harness.run(messages)
