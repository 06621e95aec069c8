#include "SnmpSensorStore.h"

#include "RegSession.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <algorithm>

namespace SnmpSensorStore {

namespace {
const char* const kVersionName = "SnmpVersion";
} // namespace

void load(TMonitorSettings& settings)
{
    TRegSession session;
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        const std::string key = sensorKeyPath(i);
        int32_t version = 0;
        bool ok = false;
        try {
            ok = regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, key, kVersionName), version) &&
                 (version == 0 || version == 1);
        } catch (const TRegistryError&) {
            ok = false;
        }
        if (!ok) {
            version = 0;
            WriteRegValue(HKEY_CURRENT_USER, key, kVersionName, version, rdInteger);
        }
        settings.Sensors[i].SnmpVersion = version;
    }
    session.commit();
}

void save(const TMonitorSettings& settings)
{
    TRegSession session;
    const std::size_t count =
        std::min(settings.Sensors.size(), std::size_t(std::max(0, settings.NumberOfHosts)));
    for (std::size_t i = 0; i < count; ++i)
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(i), kVersionName,
                      settings.Sensors[i].SnmpVersion, rdInteger);
    session.commit();
}

void saveSensorIndex(std::size_t index, const TSensorRecord& sensor)
{
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(index), "Sensor", sensor.Sensor, rdString);
}

} // namespace SnmpSensorStore
