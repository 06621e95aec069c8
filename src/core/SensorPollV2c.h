#pragma once

// The poll of a sensor read with SNMPv2c or SNMPv3: uptime and both counters
// in one request, 64-bit counters where the agent has them, and the interface
// kept by its name across restarts of the agent. The two versions differ only
// in how a request is protected, which the network behind the poll does.

#include "SensorPoll.h"

namespace SensorPoll {

// The version field of the messages a request is sent in.
constexpr int32_t kSnmpVersion1 = storedNumber(TSnmpVersion::V1);
constexpr int32_t kSnmpVersion2c = storedNumber(TSnmpVersion::V2c);
constexpr int32_t kSnmpVersion3 = storedNumber(TSnmpVersion::V3);

inline constexpr const char* kIfDescrColumn = Mib::kIfDescr;

// The versions polled with one request per poll (SNMPv2c and SNMPv3).
bool readsInOneRequest(TSnmpVersion version);

// Copies what an SNMPv2c or SNMPv3 read needs from the sensor into its
// target: the version, and for SNMPv3 the user.
void describeV2cTarget(const TSensorRecord& sensor, TSensorTarget& target);

// The reads of one SNMPv2c poll after the optional ping (reading holds the
// index). Normally one request; at the first poll, after a restart of the
// agent and while the interface's name is missing, the name is checked (one
// get, a walk of ifDescr when it moved) and the counters chosen anew.
TSensorReading readSensorV2c(const TSensorTarget& target, ISnmpReader& network,
                             TSensorReading reading);

// Uptime and both counters of the target's interface as it stands, without
// any name check: one request with the counters chosen for it, or, before any
// choice, the 64-bit counters and the 32-bit ones (a second request) when the
// agent lacks them. valid only when all three came as numbers.
TV2cReading readCountersV2c(const TSensorTarget& target, ISnmpReader& network);

// Rates and texts of an SNMPv2c reading: 64-bit unsigned steps, a step back
// is a reset (rate 0, new baseline), a missing value is the error branch and
// keeps the previous values. Follows a renumbered interface (Sensor and the
// counter OIDs change, result.storeChanged) and shows the error texts while
// no interface has the sensor's name.
void applyV2cReading(TSensorRecord& sensor, const TSensorReading& reading, TPollResult& result);

// What the counters were chosen for: the agent, the interface and the
// direction.
std::string countersKey(const TSensorRecord& sensor);

// Unsigned decimal text (digits only) no greater than max.
inline bool parseUnsigned(const std::string& text, uint64_t max, uint64_t& value)
{
    return parseUnsignedText(text, max, value);
}

} // namespace SensorPoll
