#include "AppliedPoll.h"

#include "PollFigures.h"
#include "RegistryError.h"
#include "SnmpSensorStore.h"
#include "UsageKeeper.h"

namespace AppliedPoll {

std::optional<SensorPoll::TPollResult> apply(TMonitorSettings& settings, int index,
                                             const SensorPoll::TSensorReading& reading,
                                             std::optional<double> latencySeconds,
                                             const TSinks& sinks)
{
    if (index < 0 || std::size_t(index) >= settings.Sensors.size())
        return std::nullopt;
    TSensorRecord& sensor = settings.Sensors[std::size_t(index)];
    SensorPoll::TPollResult result = SensorPoll::applyReading(sensor, reading);
    sinks.usage.polled(settings, index, result);
    if (sinks.figures)
        sinks.figures->sensorPolled(
            PollFigures::figuresOf(index, sensor, reading, result, latencySeconds));
    if (result.pinged && result.replied) {
        result.downText = sinks.usage.rateText("DL: ", result.downRate);
        result.upText = sinks.usage.rateText("UL: ", result.upRate);
    }
    if (!result.report.empty() && sinks.report)
        sinks.report(result.report);
    if (result.storeChanged) {
        try {
            SnmpSensorStore::saveSensorIndex(std::size_t(index), sensor);
        } catch (const TRegistryError& error) {
            if (sinks.report)
                sinks.report(error.what());
        }
    }
    return result;
}

void startOver(TMonitorSettings& settings)
{
    for (TSensorRecord& sensor : settings.Sensors) {
        if (!sensor.Active)
            continue;
        SensorPoll::buildCounterOids(sensor);
        sensor.PrevUpCount = 0;
        sensor.PrevDownCount = 0;
    }
}

} // namespace AppliedPoll
