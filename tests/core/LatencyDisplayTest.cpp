#include "LatencyDisplay.h"

#include <gtest/gtest.h>

namespace {

using namespace LatencyDisplay;

TLatencyView view(int position, TColor color, const std::string& caption)
{
    TLatencyView v;
    v.position = position;
    v.color = color;
    v.caption = caption;
    return v;
}

TEST(LatencyDisplay, NoReplyIsGreyWithTheBarEmpty)
{
    for (int r : {-1, -7})
        EXPECT_EQ(latencyView(r), view(0, clGray, "Host did not reply")) << r;
}

TEST(LatencyDisplay, ReplyUnderAMillisecondIsLimeAtTheFirstStep)
{
    // A round trip of 0 is a reply too fast to count, not a missing one.
    EXPECT_EQ(latencyView(0), view(1, clLime, "Network Latency: <1 ms"));
    EXPECT_EQ(latencyView(0).position, latencyView(1).position);
}

TEST(LatencyDisplay, BandsIncludeTheirUpperBounds)
{
    EXPECT_EQ(latencyView(1), view(1, clLime, "Network Latency: 1 ms"));
    EXPECT_EQ(latencyView(80), view(80, clLime, "Network Latency: 80 ms"));
    EXPECT_EQ(latencyView(81), view(81, clYellow, "Network Latency: 81 ms"));
    EXPECT_EQ(latencyView(150), view(150, clYellow, "Network Latency: 150 ms"));
    EXPECT_EQ(latencyView(151), view(151, clRed, "Network Latency: 151 ms"));
    EXPECT_EQ(latencyView(200), view(200, clRed, "Network Latency: 200 ms"));
}

TEST(LatencyDisplay, LongRoundTripsPinTheBarButKeepTheirFigure)
{
    EXPECT_EQ(latencyView(350), view(200, clRed, "Network Latency: 350 ms"));
    EXPECT_EQ(latencyView(1234567), view(200, clRed, "Network Latency: 1234567 ms"));
}

} // namespace
