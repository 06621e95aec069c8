#include "InterfaceCounters.h"

namespace {
constexpr std::uint32_t SaturatedIfSpeed = 4294967295u;
} // namespace

CounterOids counterOidsFor(std::int32_t ifIndex, bool highCapacityIn, bool highCapacityOut)
{
    const std::string index = std::to_string(ifIndex);
    CounterOids oids;
    if (highCapacityIn && highCapacityOut) {
        oids.in = kIfHCInOctetsPrefix + index;
        oids.out = kIfHCOutOctetsPrefix + index;
        oids.width = CounterWidth::Bits64;
    } else {
        oids.in = kIfInOctetsPrefix + index;
        oids.out = kIfOutOctetsPrefix + index;
        oids.width = CounterWidth::Bits32;
    }
    return oids;
}

std::int64_t detectedSpeedKbps(std::uint32_t ifSpeed, std::optional<std::uint32_t> ifHighSpeedMbps)
{
    if (ifSpeed == SaturatedIfSpeed && ifHighSpeedMbps) {
        return static_cast<std::int64_t>(*ifHighSpeedMbps) * 1000;
    }
    return static_cast<std::int64_t>(ifSpeed) / 1000;
}
