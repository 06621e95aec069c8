#include "StoredUsageSensors.h"

#include "RegSession.h"
#include "UsageSensorKey.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

namespace {

// A stored value as `convert` reads it; false when missing or unreadable.
template <typename T, typename Convert>
bool readValue(const std::string& key, const char* name, T& value, Convert convert)
{
    try {
        return convert(ReadRegValue(HKEY_CURRENT_USER, key, name), value);
    } catch (const TRegistryError&) {
        return false;
    }
}

bool readText(const std::string& key, const char* name, std::string& text)
{
    return readValue(key, name, text, regVariantToText);
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
        // As the program keys them: a value missing or unreadable is its
        // default, as at the program's start.
        bool swapped = false;
        TSnmpVersion version = TSnmpVersion::V1;
        if (!readValue(key, "SwapedInOut", swapped, regVariantToBool))
            swapped = false;
        snmpVersionFromStored(std::get<int32_t>(loadStoredValue(key, "SnmpVersion", false)),
                              version);
        sensors.push_back({usageSensorKey(host, index, swapped, version), name, usage.Sensors[i]});
    }
    return sensors;
}
