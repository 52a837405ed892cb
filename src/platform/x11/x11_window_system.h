// SPDX-License-Identifier: MIT
// The window system of an X server: the frame from the window manager's desktop conventions,
// asked before a window is shown, and held input read through a message to ourselves.
#pragma once

#include <memory>

#include "platform/window_system.h"

namespace henon {

// Null unless the application runs on an X server.
std::unique_ptr<WindowSystem> openX11WindowSystem();

}  // namespace henon
