#pragma once

#include <cstdint>

// A millisecond counter from the monotonic clock, truncated to 32 bits like a
// system tick count. Only differences are meaningful; take them modulo 2^32
// (unsigned subtraction) so a wrap of the counter is harmless.
std::uint32_t TickCount32();

// Milliseconds elapsed from `start` to `now`, modulo 2^32.
inline std::uint32_t TickDiff(std::uint32_t start, std::uint32_t now)
{
    return now - start;
}
