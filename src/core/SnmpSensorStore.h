#pragma once

// The store values of sensors read with SNMPv2c, beside the values every
// sensor always had (which srcRegOptions reads and writes).

#include "TMonitorSettings.h"

#include <cstddef>

namespace SnmpSensorStore {

// Reads "SnmpVersion" of every sensor in memory: 0 (SNMPv1) or 1 (SNMPv2c).
// A value that is missing or anything else is 0 and written back. Call
// after LoadSettings. Raises TRegistryError when the store cannot be written.
void load(TMonitorSettings& settings);

// Writes "SnmpVersion" of sensors 0 .. NumberOfHosts-1; call after
// SaveSettings, so it comes after the other values. Raises TRegistryError.
void save(const TMonitorSettings& settings);

// Writes the interface number (Sensor) of sensor `index` alone, for a sensor
// that followed its interface to a new number while polling; the other
// values, live maxima included, stay as they are. Raises TRegistryError.
void saveSensorIndex(std::size_t index, const TSensorRecord& sensor);

} // namespace SnmpSensorStore
