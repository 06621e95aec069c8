#include "UsageSettings.h"
#include "util/StoreFixture.h"

#include "RegSession.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <gtest/gtest.h>

namespace {

class UsageSettingsTest : public StoreFixture
{
};

int32_t storedInteger(const std::string& key, const char* name)
{
    int32_t value = 0;
    EXPECT_TRUE(regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, key, name), value)) << name;
    return value;
}

TEST_F(UsageSettingsTest, AnOlderStoreLoadsWithDefaultsAndIsHealed)
{
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "HostName", std::string("Router"), rdString);
    const TUsageSettings loaded = UsageSettingsStore::load(2, true);
    const TSensorUsageSettings defaults;
    EXPECT_EQ(loaded.RateUnit, TRateUnit::KibibytesPerSecond);
    ASSERT_EQ(loaded.Sensors.size(), 2u);
    for (const TSensorUsageSettings& s : loaded.Sensors) {
        EXPECT_EQ(s.PeriodStartDay, defaults.PeriodStartDay);
        EXPECT_EQ(s.QuotaGB, defaults.QuotaGB);
        EXPECT_EQ(s.QuotaKind, defaults.QuotaKind);
    }
    // The defaults are in the store now, beside what was there.
    EXPECT_EQ(storedInteger(kSettingsKey, "RateUnit"), 0);
    EXPECT_EQ(storedInteger(sensorKeyPath(1), "UsagePeriodStart"), 1);
    EXPECT_EQ(storedInteger(sensorKeyPath(1), "UsageQuotaKind"), 2);
    EXPECT_NE(storeText().find("\"HostName\"=\"Router\""), std::string::npos);
}

TEST_F(UsageSettingsTest, ReadingBesideTheProgramWritesNothing)
{
    const TUsageSettings loaded = UsageSettingsStore::load(3, false);
    EXPECT_EQ(loaded.Sensors.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(storeFile()));
}

struct RangeCase
{
    const char* name;
    int32_t stored;
    bool kept;
};

TEST_F(UsageSettingsTest, ValuesOutOfRangeTakeTheDefault)
{
    // Both bounds of each range, kept, and the values just beyond them.
    const RangeCase cases[] = {
        {"UsagePeriodStart", 0, false},  {"UsagePeriodStart", 1, true},
        {"UsagePeriodStart", 31, true},  {"UsagePeriodStart", 32, false},
        {"UsageQuotaGB", -1, false},     {"UsageQuotaGB", 0, true},
        {"UsageQuotaGB", 1000000, true}, {"UsageQuotaGB", 1000001, false},
        {"UsageQuotaKind", -1, false},   {"UsageQuotaKind", 0, true},
        {"UsageQuotaKind", 1, true},     {"UsageQuotaKind", 3, false},
        {"RateUnit", -1, false},         {"RateUnit", 2, true},
        {"RateUnit", 1, true},           {"RateUnit", 3, false},
    };
    const TSensorUsageSettings defaults;
    for (const RangeCase& c : cases) {
        const std::string name = c.name;
        const std::string key = name == "RateUnit" ? kSettingsKey : sensorKeyPath(0);
        WriteRegValue(HKEY_CURRENT_USER, key, c.name, c.stored, rdInteger);
        const TUsageSettings loaded = UsageSettingsStore::load(1, true);
        const TSensorUsageSettings& s = loaded.Sensors[0];
        const int32_t got = name == "UsagePeriodStart" ? s.PeriodStartDay
                            : name == "UsageQuotaGB"   ? s.QuotaGB
                            : name == "RateUnit"       ? static_cast<int32_t>(loaded.RateUnit)
                                                       : static_cast<int32_t>(s.QuotaKind);
        const int32_t fallback = name == "UsagePeriodStart" ? defaults.PeriodStartDay
                                 : name == "UsageQuotaGB"   ? defaults.QuotaGB
                                 : name == "RateUnit"
                                     ? static_cast<int32_t>(TUsageSettings().RateUnit)
                                     : static_cast<int32_t>(defaults.QuotaKind);
        EXPECT_EQ(got, c.kept ? c.stored : fallback) << c.name << " " << c.stored;
        // Healing wrote the default over the bad value.
        EXPECT_EQ(storedInteger(key, c.name), got);
    }
}

TEST_F(UsageSettingsTest, SavedValuesLoadBack)
{
    TUsageSettings settings;
    settings.RateUnit = TRateUnit::MegabitsPerSecond;
    settings.Sensors = {{15, 250, TQuotaKind::Download}, {31, 0, TQuotaKind::Upload}};
    {
        TRegSession session;
        UsageSettingsStore::save(settings);
        session.commit();
    }
    const TUsageSettings loaded = UsageSettingsStore::load(2, false);
    EXPECT_EQ(loaded.RateUnit, TRateUnit::MegabitsPerSecond);
    ASSERT_EQ(loaded.Sensors.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(loaded.Sensors[i].PeriodStartDay, settings.Sensors[i].PeriodStartDay);
        EXPECT_EQ(loaded.Sensors[i].QuotaGB, settings.Sensors[i].QuotaGB);
        EXPECT_EQ(loaded.Sensors[i].QuotaKind, settings.Sensors[i].QuotaKind);
    }
}

} // namespace
