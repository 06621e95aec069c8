#pragma once

#include <functional>

// Runs `body` in a child process inside a network namespace of its own with
// only the loopback interface up, so whatever it does (name lookups
// included) cannot reach another machine. Returns the body's result, or -1
// when the namespace could not be made (not root).
int runInIsolatedNetwork(const std::function<int()>& body);
