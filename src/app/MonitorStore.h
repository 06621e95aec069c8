#pragma once

#include "IMonitorWindow.h"
#include "MetricsSettings.h"
#include "TMonitorSettings.h"

#include <string>

class SensorPasswordKeeper;
class UsageKeeper;

// Every part of the settings store in its stored order: the settings of
// old, the SNMP sensors' values, the passwords (in their own store), the
// usage values and the metrics values. The window and the headless monitor
// load and save through here, so both read and write the same store alike.
namespace MonitorStore {

struct TParts
{
    TMonitorSettings& settings;
    IMonitorWindow& window;
    SensorPasswordKeeper& passwords;
    UsageKeeper& usage;
    TMetricsSettings& metrics;
};

// Missing values take their defaults and are written back. Raises
// TRegistryError when the store cannot be written.
void load(const TParts& parts);
// Returns what could not be kept of the passwords, in words for the user.
// Raises TRegistryError when the store cannot be written.
std::string save(const TParts& parts);

// When the last load found a settings file it could not read whole and
// moved it aside, what the user is told about it (once); else empty.
std::string setAsideText();

} // namespace MonitorStore
