#pragma once

#include "SensorFigures.h"
#include "SensorPoll.h"
#include "TMonitorSettings.h"

#include <optional>
#include <vector>

// Turns an applied poll into the numbers a scraper reads. The one place the
// figures are taken from the poll: fed where the window and the headless
// monitor apply a reading, after SensorPoll::applyReading.
namespace PollFigures {

TPollOutcome outcomeOf(const SensorPoll::TSensorReading& reading,
                       const SensorPoll::TPollResult& result);

// `sensor` is the record after the reading was applied to it.
TSensorFigures figuresOf(int index, const TSensorRecord& sensor,
                         const SensorPoll::TSensorReading& reading,
                         const SensorPoll::TPollResult& result,
                         std::optional<double> latencySeconds);

// The active sensors, as labels.
std::vector<TSensorLabels> labelsOf(const TMonitorSettings& settings);

} // namespace PollFigures
