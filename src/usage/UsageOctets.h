#pragma once

#include <cstdint>

// Octets of one direction pair.
struct TOctets
{
    uint64_t down = 0;
    uint64_t up = 0;
};
