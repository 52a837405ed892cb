// SPDX-License-Identifier: MIT
// The decorations a window manager puts around a top-level window, known before it is shown, or
// learned from a window once it is.
#pragma once

#include <QMarginsF>
#include <functional>

class QWidget;

namespace henon {

// Left, top, right and bottom frame widths in the window's logical pixels; none without a window
// manager, or where the window system cannot tell before the window is shown and no shown window
// has told yet.
QMarginsF frameExtents(QWidget& window);

// The frame round a shown window as it is now, in logical pixels; none while it has none. Where
// the window manager publishes no extents, read from the frame window it put the window in.
QMarginsF shownFrameExtents(QWidget& window);
// What frameExtents answers from now on, for every window.
void learnFrameExtents(QWidget& shown, QMarginsF frame);

// Calls `changed`, from the event loop, whenever a top-level window may have got another frame:
// a window manager took it into a frame or published its extents. Installed once.
void watchFrames(std::function<void(QWidget&)> changed);

}  // namespace henon
