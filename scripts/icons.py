#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the application icon: the attractor as an SVG, and the PNG sizes rendered from it.

    python3 scripts/icons.py          # the SVG, then the PNGs (needs rsvg-convert, librsvg2-bin)
    python3 scripts/icons.py --png    # only the PNGs, from the SVG in the tree
"""
import pathlib
import subprocess
import sys

APP_ID = "io.github.henon_explorer.Henon"
SIZES = (16, 32, 48, 64, 128, 256)
ICONS = pathlib.Path(__file__).resolve().parent.parent / "data" / "icons"
SVG = ICONS / f"{APP_ID}.svg"

VIEW = 256.0
POINTS = 2500
SETTLE = 100  # steps before the orbit is on the attractor


def attractor():
    x, y = 0.5, 0.5
    for i in range(SETTLE + POINTS):
        x, y = 1.0 + y - 1.4 * x * x, 0.3 * x
        if i >= SETTLE:
            yield x, y


def svg_text():
    # The attractor is about three times wider than high; stretch y so it fills the square
    # and reads as a curve, not a line, at 16 px.
    dots = []
    for x, y in attractor():
        px = 128.0 + x * 80.0
        py = 128.0 - y * 200.0
        dots.append(f"M{px:.1f} {py:.1f}h0")
    path = "".join(dots)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- SPDX-License-Identifier: MIT -->
<!-- Written by scripts/icons.py: the Henon attractor, a = 1.4, b = 0.3. -->
<svg xmlns="http://www.w3.org/2000/svg" width="{VIEW:.0f}" height="{VIEW:.0f}" viewBox="0 0 {VIEW:.0f} {VIEW:.0f}">
  <defs>
    <linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#1d3557"/>
      <stop offset="1" stop-color="#0b1628"/>
    </linearGradient>
  </defs>
  <rect x="8" y="8" width="240" height="240" rx="40" fill="url(#bg)"/>
  <path fill="none" stroke="#ffd166" stroke-width="5" stroke-linecap="round" d="{path}"/>
</svg>
"""


def main():
    if "--png" not in sys.argv[1:]:
        SVG.write_text(svg_text(), encoding="utf-8")
    for size in SIZES:
        png = ICONS / f"{APP_ID}-{size}.png"
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(png), str(SVG)],
                       check=True)


if __name__ == "__main__":
    main()
