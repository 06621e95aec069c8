#include "UsageSettings.h"

#include "RegSession.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

namespace UsageSettingsStore {

namespace {

// Kind, default and range are the settings table's.
int32_t loadInteger(const std::string& key, const char* name, bool heal)
{
    return std::get<int32_t>(loadStoredValue(key, name, heal));
}

} // namespace

TUsageSettings load(std::size_t numberOfHosts, bool heal)
{
    // One read and at most one replacement of the store for every sensor's
    // values, not one per value healed.
    TRegSession session;
    TUsageSettings settings;
    settings.RateUnit = RateUnit::fromStored(loadInteger(kSettingsKey, "RateUnit", heal));
    settings.Sensors.resize(numberOfHosts);
    for (std::size_t i = 0; i < numberOfHosts; ++i) {
        const std::string key = sensorKeyPath(i);
        TSensorUsageSettings& s = settings.Sensors[i];
        s.PeriodStartDay = loadInteger(key, "UsagePeriodStart", heal);
        s.QuotaGB = loadInteger(key, "UsageQuotaGB", heal);
        s.QuotaKind = static_cast<TQuotaKind>(loadInteger(key, "UsageQuotaKind", heal));
    }
    session.commit();
    return settings;
}

void save(const TUsageSettings& settings)
{
    TRegSession session;
    saveStoredValue(kSettingsKey, "RateUnit", storedNumber(settings.RateUnit));
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        const std::string key = sensorKeyPath(i);
        const TSensorUsageSettings& s = settings.Sensors[i];
        saveStoredValue(key, "UsagePeriodStart", s.PeriodStartDay);
        saveStoredValue(key, "UsageQuotaGB", s.QuotaGB);
        saveStoredValue(key, "UsageQuotaKind", storedNumber(s.QuotaKind));
    }
    session.commit();
}

} // namespace UsageSettingsStore
