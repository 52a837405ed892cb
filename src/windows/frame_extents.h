// SPDX-License-Identifier: MIT
// The decorations a window manager puts around a top-level window, known before it is shown.
#pragma once

#include <QMarginsF>

class QWidget;

namespace henon {

// Left, top, right and bottom frame widths in the window's logical pixels; none without a window
// manager, or where the window system cannot tell before the window is shown.
QMarginsF frameExtents(QWidget& window);

}  // namespace henon
