#pragma once

// "travimetra --headless" runs the program without a display in the same
// process: the executable "travimetra-headless" beside this one takes its
// place before any windowing library is loaded into it.
namespace HeadlessLaunch {

bool wanted(int argc, char* argv[]);

// Replaces the process; returns only when that failed (exit status 1, the
// reason on standard error).
int exec(int argc, char* argv[]);

} // namespace HeadlessLaunch
