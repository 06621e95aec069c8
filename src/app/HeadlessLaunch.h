#pragma once

// "travimetra --headless" runs the program without a display in the same
// process: the executable "travimetra-headless" (installed in
// libexec/travimetra/, beside this one in the build folder) takes its place
// before any windowing library is loaded into it.
namespace HeadlessLaunch {

bool wanted(int argc, char* argv[]);

// Replaces the process; returns only when that failed (exit status 1, the
// reason on standard error).
int exec(int argc, char* argv[]);

} // namespace HeadlessLaunch
