#pragma once

#include "SensorFigures.h"
#include "SensorPoll.h"
#include "TMonitorSettings.h"

#include <functional>
#include <optional>
#include <string>

class UsageKeeper;

// Where a sensor's reading is applied, for the window and the headless
// monitor alike: the rates and texts of the poll, the usage history, the
// store when the sensor followed its interface, and the figures a scraper
// reads. What is drawn is left to the caller.
namespace AppliedPoll {

struct TSinks
{
    UsageKeeper& usage;
    IPollFigures* figures = nullptr; // none: nothing is served
    // Texts the user must read (a value that is not a number, a store that
    // could not be written).
    std::function<void(const std::string&)> report;
};

// Applies `reading` to sensor `index` of `settings`; the result carries the
// label texts in the chosen rate unit. Nothing for an index out of range.
std::optional<SensorPoll::TPollResult> apply(TMonitorSettings& settings, int index,
                                             const SensorPoll::TSensorReading& reading,
                                             std::optional<double> latencySeconds,
                                             const TSinks& sinks);

// Every active sensor reads its counters afresh (after a load or a change of
// the sensor list): counter OIDs from the interface index, no baseline.
void startOver(TMonitorSettings& settings);

} // namespace AppliedPoll
