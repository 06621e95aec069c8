#pragma once

#include "IMonitorWindow.h"
#include "RegVariant.h"
#include "TMonitorSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The store key of the global settings (below HKEY_CURRENT_USER); sensor n
// lives in its subkey n.
extern const char* const kSettingsKey;
std::string sensorKeyPath(std::size_t index);

// More sensors than this cannot be shown or polled; a larger NumberOfHosts in
// the store is treated as unreadable.
constexpr int32_t kMaxNumberOfHosts = 256;

// The longest HostName and SensorName kept, in bytes: what a DisplayString
// (sysName, ifDescr) may hold. Longer ones, agents' or typed, are cut at a
// character boundary when stored and when read.
constexpr std::size_t kMaxStoredNameBytes = 255;

// Defaults that depend on the user's folders.
std::string defaultLogFolder(); // $XDG_STATE_HOME/Travimetra/
std::string defaultLogFile();   // the folder + "Travimetra.log"
extern const char* const kDefaultLatencyHost;

// Reads every setting and every sensor 0 .. NumberOfHosts-1 from the store.
// A value that is missing, cannot be converted or lies outside the range its
// dialog allows is replaced by its default, in the store and in memory alike;
// a missing TimesRun sets FirstRun. Window position, opacity and the latency
// period go to the window. Raises TRegistryError when the store cannot be
// written.
void LoadSettings(TMonitorSettings& settings, IMonitorWindow& window);

// The stored values the settings table describes whose owners load them after
// LoadSettings and save them after SaveSettings, in the table's order: in the
// global key "SecretsInFile", "RateUnit", "MetricsEnabled", "MetricsAddress",
// "MetricsPort"; in a sensor's key "SnmpVersion", the "V3..." values and the
// "Usage..." values. `key` is kSettingsKey or sensorKeyPath(n).
//
// The value as stored when it is of its kind, within its range and one of its
// choices; else its default, which `heal` writes back (a failed write raises
// TRegistryError). Raises std::invalid_argument for a name the table does not
// hold as such a value.
TRegVariant loadStoredValue(const std::string& key, const char* name, bool heal);
// Writes the value in the kind the table gives it. Raises TRegistryError.
void saveStoredValue(const std::string& key, const char* name, const TRegVariant& value);

// Writes every setting and sensors 0 .. NumberOfHosts-1; higher subkeys stay as
// they are. A live sensor's speeds are set to 1 first, in memory too, so its
// maximum starts afresh at the next run. Raises TRegistryError when the store
// cannot be written.
void SaveSettings(TMonitorSettings& settings, IMonitorWindow& window);
