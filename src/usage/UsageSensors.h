#pragma once

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

// A good poll of `sensor` as the accounting takes it: the counters this poll
// read (DownCount, UpCount, 32-bit) and the agent's uptime, at `wallTime`.
TGoodPoll goodPoll(const TSensorRecord& sensor, int64_t wallTime);

} // namespace UsageSensors
