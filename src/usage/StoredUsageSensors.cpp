#include "StoredUsageSensors.h"

#include "RegSession.h"
#include "UsageSensorKey.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

namespace {

bool readText(const std::string& key, const char* name, std::string& text)
{
    try {
        return regVariantToText(ReadRegValue(HKEY_CURRENT_USER, key, name), text);
    } catch (const TRegistryError&) {
        return false;
    }
}

} // namespace

std::vector<TUsageSensorConfig> storedUsageSensors()
{
    // One read of the file for all the values; nothing is changed, so
    // nothing is written.
    TRegSession session;
    std::vector<TUsageSensorConfig> sensors;
    int32_t count = 0;
    try {
        if (!regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "NumberOfHosts"),
                             count) ||
            count < 0 || count > kMaxNumberOfHosts)
            return sensors;
    } catch (const TRegistryError&) {
        return sensors;
    }
    const TUsageSettings usage = UsageSettingsStore::load(static_cast<std::size_t>(count), false);
    for (int32_t i = 0; i < count; ++i) {
        const std::string key = sensorKeyPath(static_cast<std::size_t>(i));
        std::string host;
        std::string index;
        std::string name;
        if (!readText(key, "HostIP", host) || !readText(key, "Sensor", index))
            continue;
        readText(key, "HostName", name);
        sensors.push_back({usageSensorKey(host, index), name, usage.Sensors[i]});
    }
    return sensors;
}
