#include "UsageSettings.h"

#include "RegSession.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

namespace UsageSettingsStore {

namespace {

// One integer in [min, max], or the fallback (written back when healing).
int32_t readInteger(const std::string& key, const char* name, int32_t fallback, int32_t min,
                    int32_t max, bool heal)
{
    int32_t value = 0;
    bool ok = false;
    try {
        ok = regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, key, name), value) && value >= min &&
             value <= max;
    } catch (const TRegistryError&) {
        ok = false;
    }
    if (ok)
        return value;
    if (heal)
        WriteRegValue(HKEY_CURRENT_USER, key, name, fallback, rdInteger);
    return fallback;
}

} // namespace

TUsageSettings load(std::size_t numberOfHosts, bool heal)
{
    // One read and at most one replacement of the store for every sensor's
    // values, not one per value healed.
    TRegSession session;
    TUsageSettings settings;
    const TSensorUsageSettings defaults;
    settings.RateUnit = RateUnit::fromStored(
        readInteger(kSettingsKey, "RateUnit", static_cast<int32_t>(settings.RateUnit), 0, 2, heal));
    settings.Sensors.resize(numberOfHosts);
    for (std::size_t i = 0; i < numberOfHosts; ++i) {
        const std::string key = sensorKeyPath(i);
        TSensorUsageSettings& s = settings.Sensors[i];
        s.PeriodStartDay =
            readInteger(key, "UsagePeriodStart", defaults.PeriodStartDay, 1, 31, heal);
        s.QuotaGB = readInteger(key, "UsageQuotaGB", defaults.QuotaGB, 0, kMaxQuotaGB, heal);
        s.QuotaKind = static_cast<TQuotaKind>(readInteger(
            key, "UsageQuotaKind", static_cast<int32_t>(defaults.QuotaKind), 0, 2, heal));
    }
    session.commit();
    return settings;
}

void save(const TUsageSettings& settings)
{
    TRegSession session;
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "RateUnit",
                  static_cast<int32_t>(settings.RateUnit), rdInteger);
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        const std::string key = sensorKeyPath(i);
        const TSensorUsageSettings& s = settings.Sensors[i];
        WriteRegValue(HKEY_CURRENT_USER, key, "UsagePeriodStart", s.PeriodStartDay, rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, key, "UsageQuotaGB", s.QuotaGB, rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, key, "UsageQuotaKind", static_cast<int32_t>(s.QuotaKind),
                      rdInteger);
    }
    session.commit();
}

} // namespace UsageSettingsStore
