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
        result.push_back({sensorKey(s), s.HostName,
                          i < usage.Sensors.size() ? usage.Sensors[i] : TSensorUsageSettings{}});
    }
    return result;
}

std::string sensorKey(const TSensorRecord& sensor)
{
    return usageSensorKey(sensor.HostIP, sensor.Sensor, sensor.SwapedInOut, sensor.SnmpVersion);
}

bool recordsUsage(const TMonitorSettings& settings, std::size_t index)
{
    if (index >= settings.Sensors.size() || !settings.Sensors[index].Active)
        return false;
    const std::string key = sensorKey(settings.Sensors[index]);
    for (std::size_t i = 0; i < index; ++i) {
        if (settings.Sensors[i].Active && sensorKey(settings.Sensors[i]) == key)
            return false;
    }
    return true;
}

TGoodPoll goodPoll(const TSensorRecord& sensor, const CounterSample& sample, int64_t wallTime)
{
    return {sensorKey(sensor),
            wallTime,
            sample.down,
            sample.up,
            sample.width == CounterWidth::Bits64 ? 64 : 32,
            sample.agentUpTime,
            sample.engineBoots,
            sensor.SensorName};
}

} // namespace UsageSensors
