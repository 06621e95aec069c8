#pragma once

// The store values of sensors read with SNMPv2c and SNMPv3, beside the values
// every sensor always had (which srcRegOptions reads and writes). SNMPv3
// passwords are never among them.

#include "TMonitorSettings.h"

#include <cstddef>

namespace SnmpSensorStore {

// Reads "SnmpVersion" of every sensor in memory: 0 (SNMPv1), 1 (SNMPv2c) or
// 3 (SNMPv3); a value that is missing or anything else is 0 and written back.
// Reads the SNMPv3 user of every sensor ("V3UserName", "V3SecurityLevel",
// "V3AuthProtocol", "V3PrivProtocol" as the names UsmProtocols gives); a
// missing or unknown one is healed to "", authPriv, SHA-256, AES-128 and
// written back. Passwords in memory stay. Call after LoadSettings. Raises
// TRegistryError when the store cannot be written.
void load(TMonitorSettings& settings);

// Writes "SnmpVersion" and the SNMPv3 user of sensors 0 .. NumberOfHosts-1; call after
// SaveSettings, so it comes after the other values. Raises TRegistryError.
void save(const TMonitorSettings& settings);

// Writes the interface number (Sensor) of sensor `index` alone, for a sensor
// that followed its interface to a new number while polling; the other
// values, live maxima included, stay as they are. Raises TRegistryError.
void saveSensorIndex(std::size_t index, const TSensorRecord& sensor);

} // namespace SnmpSensorStore
