#pragma once

#include "CounterSample.h"
#include "TMonitorSettings.h"
#include "TUsageRecorder.h"
#include "UsageSettings.h"

#include <cstdint>
#include <vector>

// The meeting point of the sensor model and the usage history, so the window
// hands over a poll or its sensors in one call.
namespace UsageSensors {

// The active sensors with their usage settings (defaults for a sensor the
// usage settings do not reach), in index order.
std::vector<TUsageSensorConfig> configs(const TMonitorSettings& settings,
                                        const TUsageSettings& usage);

// The key the sensor's usage is kept under (usageSensorKey).
std::string sensorKey(const TSensorRecord& sensor);

// Whether sensor `index` records its key's usage: it is active and no
// active sensor before it has the same key (one counter growth, counted once).
bool recordsUsage(const TMonitorSettings& settings, std::size_t index);

// A good poll of `sensor` as the accounting takes it: the sample the poll
// read, whatever the SNMP version, at `wallTime`.
TGoodPoll goodPoll(const TSensorRecord& sensor, const CounterSample& sample, int64_t wallTime);

} // namespace UsageSensors
