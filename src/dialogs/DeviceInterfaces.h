#pragma once

// What the device dialog lists of an SNMPv2c agent's interfaces, read with
// GetBulk walks: number, description, name and alias, and each interface's
// current rate from two readings of its counters.

#include "CounterStep.h"
#include "IDeviceNetwork.h"
#include "MibOids.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct DeviceInterface
{
    int32_t index = 0;
    std::string description; // ifDescr
    std::string name;        // ifName, empty when the agent has none
    std::string alias;       // ifAlias, the name an administrator gave it
};

namespace DeviceInterfaces {

inline constexpr const char* kIfNameColumn = Mib::kIfName;
inline constexpr const char* kIfAliasColumn = Mib::kIfAlias;

// The interfaces in ifDescr order, at most maxRows; names and aliases are
// filled where their walks answered. How the walk of ifDescr ended: the list
// is whole only when Complete (RowLimit when the agent has more than maxRows).
SnmpWalkEnd discover(IDeviceNetwork& network, const std::string& community, const std::string& host,
                     std::size_t maxRows, std::vector<DeviceInterface>& interfaces);

// Why a list of shown interfaces is short, and that only the first ones are
// shown; empty when it is whole (or was cancelled, which nobody will read).
std::string shortListText(SnmpWalkEnd end, std::size_t shown);

// "Interface N is DESCR", then " - NAME" when the name says something else
// and " \"ALIAS\"" when there is an alias.
std::string entryText(const DeviceInterface& interface);

// One reading of every interface's octet counters (in plus out).
struct CounterSnapshot
{
    CounterWidth width = CounterWidth::Bits32;
    std::map<int32_t, uint64_t> octets;
};

// Reads the 64-bit counters, or the 32-bit ones when the agent has none.
// False when neither walk answered.
bool readCounters(IDeviceNetwork& network, const std::string& community, const std::string& host,
                  CounterSnapshot& snapshot);

// Octets per second of each interface in both snapshots (of one width);
// a counter that went back shows 0.
std::map<int32_t, double> rates(const CounterSnapshot& first, const CounterSnapshot& second,
                                double seconds);

} // namespace DeviceInterfaces
