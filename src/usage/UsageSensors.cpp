#include "UsageSensors.h"

#include "UsageSensorKey.h"

namespace UsageSensors {

std::vector<TUsageSensorConfig> configs(const TMonitorSettings& settings,
                                        const TUsageSettings& usage)
{
    std::vector<TUsageSensorConfig> result;
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        const TSensorRecord& s = settings.Sensors[i];
        if (!s.Active)
            continue;
        result.push_back({usageSensorKey(s.HostIP, s.Sensor), s.HostName,
                          i < usage.Sensors.size() ? usage.Sensors[i] : TSensorUsageSettings{}});
    }
    return result;
}

TGoodPoll goodPoll(const TSensorRecord& sensor, int64_t wallTime)
{
    // The counters arrive as signed 32-bit readings; their bits are the
    // agent's unsigned Counter32.
    return {usageSensorKey(sensor.HostIP, sensor.Sensor),
            wallTime,
            static_cast<uint32_t>(sensor.DownCount),
            static_cast<uint32_t>(sensor.UpCount),
            32,
            sensor.LastAgentUpTime};
}

} // namespace UsageSensors
