#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>

// What the fault and soak tests watch of their own process.
namespace ProcessProbes {

// Number of open file descriptors (entries of /proc/self/fd).
int openFileDescriptors();
// What each open descriptor refers to, one per line.
std::string descriptorTargets();
// Resident set size in kilobytes (VmRSS), or -1 when it cannot be read.
long residentKilobytes();

// A count taken from the environment variable `name` when it holds a positive
// number, else `fallback`. CI runs shortened versions of the long loops.
inline long countFromEnvironment(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return (end && *end == '\0' && value > 0) ? value : fallback;
}

} // namespace ProcessProbes
