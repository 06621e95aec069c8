#pragma once

#include <string>
#include <vector>

// Sees the file-system calls the code under test makes, and makes chosen ones
// fail the way a full, read-only or failing disk would. Linked into a test
// executable, its definitions of write, fsync, close, rename, unlink and mkdir
// stand in front of the C library's; every call is passed on unless a failure
// was asked for. Only calls on paths below the watched folder are recorded or
// failed, so the test framework's own output goes through untouched.
namespace SyscallSeam {

struct Call
{
    std::string name; // "write", "fsync", "close", "rename", "unlink", "mkdir"
    std::string path; // the file or folder (for rename: the old name)
    std::string to;   // rename's new name
};

// Starts recording calls on paths below `folder` (an absolute path).
void watch(const std::string& folder);
// Stops recording and failing; returns what was recorded.
std::vector<Call> stop();
// The next call `name` on a path ending in `suffix` (below the watched
// folder) fails with `error` instead of being made.
void failNext(const std::string& name, const std::string& suffix, int error);

} // namespace SyscallSeam
