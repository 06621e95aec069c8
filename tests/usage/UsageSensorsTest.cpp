#include "UsageSensors.h"
#include "UsageSensorKey.h"

#include <gtest/gtest.h>

namespace {

TSensorRecord sensor(bool active, const char* host, const char* index, const char* name)
{
    TSensorRecord s;
    s.Active = active;
    s.HostIP = host;
    s.Sensor = index;
    s.HostName = name;
    return s;
}

TEST(UsageSensorsTest, ActiveSensorsKeepTheirOwnSettings)
{
    TMonitorSettings settings;
    settings.Sensors = {
        sensor(true, "10.0.0.1", "2", "Router"), sensor(false, "10.0.0.2", "1", "Off"),
        sensor(true, "10.0.0.3", "7", "Modem"), sensor(true, "10.0.0.4", "1", "New")};
    TUsageSettings usage;
    usage.Sensors = {{15, 100, TQuotaKind::Download},
                     {20, 5, TQuotaKind::Upload},
                     {31, 7, TQuotaKind::Both}}; // none for the fourth yet
    const auto configs = UsageSensors::configs(settings, usage);
    ASSERT_EQ(configs.size(), 3u);
    EXPECT_EQ(configs[0].key, usageSensorKey("10.0.0.1", "2"));
    EXPECT_EQ(configs[0].settings.PeriodStartDay, 15);
    // The inactive sensor's settings do not shift onto the next one.
    EXPECT_EQ(configs[1].name, "Modem");
    EXPECT_EQ(configs[1].settings.PeriodStartDay, 31);
    EXPECT_EQ(configs[2].settings.PeriodStartDay, TSensorUsageSettings{}.PeriodStartDay);
    EXPECT_EQ(configs[2].settings.QuotaGB, 0);
}

TEST(UsageSensorsTest, ThePollsSampleIsWhatTheAccountingSteps)
{
    TSensorRecord s = sensor(true, "10.0.0.1", "2", "Router");
    // A version 1 poll of 4294967294 (read as the signed text -2) and 5.
    CounterSample sample;
    sample.down = 4294967294u;
    sample.up = 5;
    sample.agentUpTime = 123;
    const TGoodPoll p = UsageSensors::goodPoll(s, sample, 1000);
    EXPECT_EQ(p.downCounter, 4294967294u);
    EXPECT_EQ(p.upCounter, 5u);
    EXPECT_EQ(p.counterBits, 32);
    EXPECT_EQ(p.agentUpTime, 123);
    EXPECT_EQ(p.key, usageSensorKey("10.0.0.1", "2"));
    // Across the wrap the accounting counts the true increase.
    TUsageAccounting accounting;
    accounting.goodPoll(p);
    sample.down = 3;
    sample.agentUpTime = 623;
    EXPECT_EQ(accounting.goodPoll(UsageSensors::goodPoll(s, sample, 1005)).down, 5u);
}

} // namespace
