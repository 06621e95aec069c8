#pragma once

#include <functional>
#include <string>

// Runs `body` in a child process with a tmpfs of `bytes` mounted on `folder`
// in a mount namespace of the child's own, so the mount disappears with it.
// Returns the body's result, or -1 when mounting is not permitted.
int runWithSmallTmpfs(const std::string& folder, std::size_t bytes,
                      const std::function<int()>& body);
