#include "PollFigures.h"

#include <algorithm>

namespace PollFigures {

TPollOutcome outcomeOf(const SensorPoll::TSensorReading& reading,
                       const SensorPoll::TPollResult& result)
{
    if (!result.pinged)
        return TPollOutcome::PingFailed;
    if (result.replied)
        return TPollOutcome::Ok;
    if (!result.failure.empty())
        return TPollOutcome::Refused;
    if (!reading.replied)
        return TPollOutcome::NoAnswer;
    if (!result.report.empty())
        return TPollOutcome::BadValue;
    return TPollOutcome::Incomplete;
}

TSensorFigures figuresOf(int index, const TSensorRecord& sensor,
                         const SensorPoll::TSensorReading& reading,
                         const SensorPoll::TPollResult& result,
                         std::optional<double> latencySeconds)
{
    TSensorFigures figures;
    figures.index = index;
    figures.outcome = outcomeOf(reading, result);
    figures.latencySeconds = latencySeconds;
    if (figures.outcome != TPollOutcome::Ok)
        return figures;
    figures.downRate = result.downRate;
    figures.upRate = result.upRate;
    uint64_t down = 0;
    uint64_t up = 0;
    if (reading.v2c.used) {
        down = reading.v2c.down;
        up = reading.v2c.up;
        figures.counterBits = reading.v2c.highCapacity ? 64 : 32;
    } else {
        // The signed 32-bit readings carry the agent's unsigned Counter32.
        down = static_cast<uint32_t>(sensor.DownCount);
        up = static_cast<uint32_t>(sensor.UpCount);
        figures.counterBits = 32;
    }
    // Download is the interface's out-octets when the sensor swaps them.
    figures.inOctets = sensor.SwapedInOut ? up : down;
    figures.outOctets = sensor.SwapedInOut ? down : up;
    return figures;
}

std::vector<TSensorLabels> labelsOf(const TMonitorSettings& settings)
{
    std::vector<TSensorLabels> labels;
    const std::size_t count =
        std::min(settings.Sensors.size(), std::size_t(std::max(settings.NumberOfHosts, 0)));
    for (std::size_t i = 0; i < count; ++i) {
        const TSensorRecord& s = settings.Sensors[i];
        if (s.Active)
            labels.push_back({int(i), s.HostName, s.HostIP, s.SensorName});
    }
    return labels;
}

} // namespace PollFigures
