#pragma once

#include <string>

namespace Platform {

// Chooses the windowing back end before QApplication exists. On Linux the X11
// back end is preferred when a display is there, because Wayland does not let
// a client keep its window above the others.
void prepareWindowSystem();

// Adds (enabled) or removes the entry that starts `executable` when the user
// logs on. Best effort: a failure changes nothing and shows nothing.
void setAutoStart(bool enabled, const std::string& executable);

// Lets the termination signals (SIGTERM, SIGINT) end the event loop the way
// "Exit" does, so the settings are saved on log-out. Call once, after the
// application object exists.
void quitOnTerminationSignals();
// True once a termination signal arrived; main() checks it before entering
// the event loop, so a signal during start-up (a message box open) ends the
// program too.
bool terminationRequested();

} // namespace Platform
