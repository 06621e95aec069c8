#include "SensorPresenter.h"

#include <gtest/gtest.h>

namespace {

TEST(SensorPresenter, RateTextsInEachUnit)
{
    const struct
    {
        TRateUnit unit;
        double rate;
        const char* down;
        const char* up;
    } rows[] = {
        {TRateUnit::KibibytesPerSecond, 102355.29, "DL: 100.0 kb/s", "UL: 100.0 kb/s"},
        {TRateUnit::KibibytesPerSecond, 0, "DL: 0.0 kb/s", "UL: 0.0 kb/s"},
        {TRateUnit::MegabitsPerSecond, 125000, "DL: 1.00 Mbit/s", "UL: 1.00 Mbit/s"},
        {TRateUnit::MegabytesPerSecond, 1.25e9, "DL: 1250.00 MB/s", "UL: 1250.00 MB/s"},
        {TRateUnit::KibibytesPerSecond, 1, "DL: 0.0 kb/s", "UL: 0.0 kb/s"},
    };
    for (const auto& row : rows) {
        const SensorPresenter presenter(row.unit);
        EXPECT_EQ(presenter.downText(row.rate), row.down);
        EXPECT_EQ(presenter.upText(row.rate), row.up);
    }
}

TEST(SensorPresenter, TitleToolTipAndHintLine)
{
    TSensorRecord s;
    s.HostName = "router";
    s.SensorName = "eth0";
    s.HostIP = "10.0.0.1";
    EXPECT_EQ(SensorPresenter::identification(s), "router / eth0 @ 10.0.0.1");
    EXPECT_EQ(SensorPresenter::title(s, true), "router / eth0 @ 10.0.0.1");
    EXPECT_EQ(SensorPresenter::title(s, false), "router");
    EXPECT_EQ(SensorPresenter::hintLine(s, "DL: 1.0 kb/s", "UL: 2.0 kb/s"),
              "router -> DL: 1.0 kb/s | UL: 2.0 kb/s");
}

TEST(SensorPresenter, ScalesFollowTheSpeedOrTheLiveMaximum)
{
    TSensorRecord s;
    s.DownSpeed = 1000000;
    s.SpeedType = stDetected;
    const SensorPresenter presenter(TRateUnit::MegabitsPerSecond);
    auto labels = presenter.speedScale(s, 8, {}, 0);
    EXPECT_EQ(labels.texts.back(), "1000");
    EXPECT_EQ(labels.topBytesPerSecond, 125e6);
    // A live sensor keeps the graph's full scale and labels it in the unit.
    s.SpeedType = stLive;
    s.DownSpeed = 1;
    labels = presenter.speedScale(s, 8, {}, 0);
    EXPECT_EQ(labels.topBytesPerSecond, 128);
    EXPECT_EQ(labels.texts.back(), "0.0010");
    EXPECT_EQ(presenter.liveScale(125000, 8, {}, 0).texts.back(), "1.0");
}

TEST(SensorPresenter, TrayImageFromRates)
{
    EXPECT_EQ(SensorPresenter::trayIconIndex(0, 0, 1024, 1024), 0);
    EXPECT_EQ(SensorPresenter::trayIconIndex(20481, 0, 1024, 1024), 12);
    EXPECT_EQ(SensorPresenter::trayIconIndex(131072, 131072, 1024, 1024), 35);
}

} // namespace
