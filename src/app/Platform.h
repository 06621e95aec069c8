#pragma once

namespace Platform {

// Chooses the windowing back end before QApplication exists. On Linux the X11
// back end is preferred when a display is there, because Wayland does not let
// a client keep its window above the others.
void prepareWindowSystem();

} // namespace Platform
