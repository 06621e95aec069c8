#pragma once

#include "StoredCodes.h"

#include <cstdint>
#include <string>

// The identity a sensor's usage is kept under: the agent's address and the
// interface index, "192.168.1.1#3". It stays the same when sensors are
// reordered, renamed or get another community, and it differs for two
// interfaces of one agent. The community is left out on purpose: it is a
// password of sorts and changes without the interface changing.
//
// Two sensors on one interface keep apart what differs between them: a sensor
// with download and upload swapped gets "#swapped", an SNMPv2c or SNMPv3
// sensor "#v2c" or "#v3" ("192.168.1.1#3#swapped#v2c"). Each then has totals
// of its own that the other never changes: a shared key would step one
// sensor's counters from the other's (another direction, another width) and
// count nonsense. The same interface reached under two addresses has two
// keys anyway. A version 1 sensor that is not swapped keeps the key it
// always had, so its history stays with it; sensors alike in all four share
// a key, and the first of them records it (UsageSensors::recordingSensors).
std::string usageSensorKey(const std::string& hostIP, const std::string& interfaceIndex,
                           bool swapped = false, TSnmpVersion snmpVersion = TSnmpVersion::V1);
