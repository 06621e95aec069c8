#include "TMonitorSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(MonitorSettings, StartsEmptyAndResizesWithTheCount)
{
    TMonitorSettings settings;
    EXPECT_EQ(settings.NumberOfHosts, 0);
    EXPECT_TRUE(settings.Sensors.empty());

    settings.resizeSensors(2);
    settings.Sensors[0].HostName = "kept";
    settings.Sensors[0].DownSpeed = 77;
    settings.resizeSensors(5);
    ASSERT_EQ(settings.Sensors.size(), 5u);
    EXPECT_EQ(settings.NumberOfHosts, 5);
    EXPECT_EQ(settings.Sensors[0].HostName, "kept");
    EXPECT_EQ(settings.Sensors[0].DownSpeed, 77);
    const TSensorRecord& fresh = settings.Sensors[4];
    EXPECT_FALSE(fresh.Active);
    EXPECT_TRUE(fresh.HostIP.empty());
    EXPECT_EQ(fresh.SpeedType, static_cast<TSpeedType>(0));
    EXPECT_EQ(fresh.PrevTime, 0.0);
    EXPECT_EQ(fresh.Controls, nullptr);

    settings.resizeSensors(0);
    EXPECT_TRUE(settings.Sensors.empty());
}

} // namespace
