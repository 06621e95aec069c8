#pragma once

// Which counters and which speed to read for one interface of an agent that
// may have the high-capacity objects of the interface extensions table.

#include "CounterStep.h"
#include "MibOids.h"

#include <cstdint>
#include <optional>
#include <string>

struct CounterOids
{
    std::string in;  // octets received
    std::string out; // octets sent
    CounterWidth width = CounterWidth::Bits32;
};

using Mib::kIfHCInOctetsPrefix;
using Mib::kIfHCOutOctetsPrefix;
using Mib::kIfHighSpeedPrefix;
using Mib::kIfInOctetsPrefix;
using Mib::kIfOutOctetsPrefix;
using Mib::kIfSpeedPrefix;

// The 64-bit counters when the agent gave a Counter64 for both of them on this
// interface, else the 32-bit ones; mixing widths would make the two rates
// behave differently at their tops.
CounterOids counterOidsFor(std::int32_t ifIndex, bool highCapacityIn, bool highCapacityOut);

// ifSpeed saturates at 4294967295 bit/s; above that only ifHighSpeed (in
// Mbit/s) tells the speed. The detected speed in kbit/s: ifHighSpeed x 1000
// when ifSpeed is saturated and the agent has ifHighSpeed, else ifSpeed / 1000.
std::int64_t detectedSpeedKbps(std::uint32_t ifSpeed, std::optional<std::uint32_t> ifHighSpeedMbps);
