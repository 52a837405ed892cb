# SPDX-License-Identifier: MIT
"""Under a German locale the plots read exactly as under C: decimal points in the titles."""

import os
import shutil
import subprocess
import sys

import harness
from harness import check, wait_for


def german_locale(s):
    """A de_DE.UTF-8 locale compiled into the scenario's own directory: (LOCPATH, name)."""
    if shutil.which("localedef") is None or not os.path.exists("/usr/share/i18n/locales/de_DE"):
        raise harness.Skip("the locales package is not installed")
    path = os.path.join(s.tmp, "locale")
    os.makedirs(path)
    name = "de_DE.UTF-8"
    subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", os.path.join(path, name)],
                   capture_output=True, timeout=120)
    probe = subprocess.run(
        [sys.executable, "-c", "import locale; locale.setlocale(locale.LC_ALL, '');"
         "print(locale.localeconv()['decimal_point'])"],
        env=dict(s.env, LOCPATH=path, LC_ALL=name), capture_output=True, text=True)
    check(probe.stdout.strip() == ",", "the compiled locale has no decimal comma: %r" % probe.stdout)
    return path, name


def series_picture(s, **env):
    """The time-series window's drawing after the 1D command with the default texts."""
    s.start_app(**env)
    s.choose("2D Time Series", "1D Time Series")
    wait_for(lambda: s.window("1D Time Series") and s.xwindow("1D Time Series"), 10,
             what="the time-series window")
    surface = s.drawing_area("1D Time Series")
    x, y, w, h = s.extents(surface)
    box = (x, y, x + w, y + h)
    img = harness.settled(s.grab, lambda im: harness.count_dark(im, box))
    s.services.stop(s.app_proc)
    return img.crop(box)


def locale(s):
    path, name = german_locale(s)
    plain = series_picture(s)
    german = series_picture(s, LANG=name, LC_ALL=name, LOCPATH=path)
    # The titles ("a=1.4, b=0.3, x0=0.5, n=1000") and the axis labels are the same pixels.
    check(plain.size == german.size, "window sizes differ: %r, %r" % (plain.size, german.size))
    diff = sum(1 for a, b in zip(plain.getdata(), german.getdata()) if a != b)
    check(diff == 0, "%d pixels of the time series differ under %s" % (diff, name))


if __name__ == "__main__":
    harness.run(locale)
