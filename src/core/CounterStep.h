#pragma once

// The step of an octet counter between two polls, read as unsigned numbers of
// the counter's own width: 32-bit ifInOctets/ifOutOctets or 64-bit
// ifHCInOctets/ifHCOutOctets.

#include <cstdint>

enum class CounterWidth
{
    Bits32,
    Bits64,
};

struct CounterStep
{
    std::uint64_t octets = 0; // counted since the previous reading
    // The counter went back for another reason than passing its top: the
    // agent or the interface started counting again. No rate; the current
    // reading is the new baseline.
    bool reset = false;
};

// A 32-bit counter passes its top every 34 s at 1 Gbit/s, so a step back is
// taken as a pass over 2^32 when the step over the top is less than half the
// counter (2^31 octets, 17 s at 1 Gbit/s); a longer one is the counter going
// back, as the poll has always read its signed 32-bit differences. A 64-bit
// counter never passes its top in practice: a step back is a reset, unless it
// lands just past the top (a step below 2^56 octets, 66 days at 100 Gbit/s,
// from a reading that close to it).
CounterStep counterStep(std::uint64_t previous, std::uint64_t current, CounterWidth width);

// Octets per second over `seconds`; 0 for a reset, and 0 when no time passed
// or the clock went back.
double stepRate(const CounterStep& step, double seconds);
