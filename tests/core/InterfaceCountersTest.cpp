#include "InterfaceCounters.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(InterfaceCounters, HighCapacityCountersOnlyWhenTheAgentHasBoth)
{
    struct Case
    {
        bool in;
        bool out;
        const char* inOid;
        const char* outOid;
        CounterWidth width;
    };
    const Case cases[] = {
        {true, true, "1.3.6.1.2.1.31.1.1.1.6.12", "1.3.6.1.2.1.31.1.1.1.10.12",
         CounterWidth::Bits64},
        {true, false, "1.3.6.1.2.1.2.2.1.10.12", "1.3.6.1.2.1.2.2.1.16.12", CounterWidth::Bits32},
        {false, true, "1.3.6.1.2.1.2.2.1.10.12", "1.3.6.1.2.1.2.2.1.16.12", CounterWidth::Bits32},
        {false, false, "1.3.6.1.2.1.2.2.1.10.12", "1.3.6.1.2.1.2.2.1.16.12", CounterWidth::Bits32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.in) + std::to_string(c.out));
        const CounterOids oids = counterOidsFor(12, c.in, c.out);
        EXPECT_EQ(oids.in, c.inOid);
        EXPECT_EQ(oids.out, c.outOid);
        EXPECT_EQ(oids.width, c.width);
    }
}

TEST(InterfaceCounters, DetectedSpeedComesFromIfHighSpeedWhenIfSpeedIsSaturated)
{
    struct Case
    {
        const char* what;
        std::uint32_t ifSpeed;
        std::optional<std::uint32_t> highSpeed;
        std::int64_t kbps;
    };
    const Case cases[] = {
        {"100 Mbit/s", 100'000'000u, std::nullopt, 100'000},
        {"1 Gbit/s, ifHighSpeed ignored", 1'000'000'000u, 1000, 1'000'000},
        {"10 Gbit/s", 4294967295u, 10'000, 10'000'000},
        {"100 Gbit/s", 4294967295u, 100'000, 100'000'000},
        {"400 Gbit/s", 4294967295u, 400'000, 400'000'000},
        {"saturated without ifHighSpeed", 4294967295u, std::nullopt, 4'294'967},
        {"just below saturation", 4294967294u, 10'000, 4'294'967},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(detectedSpeedKbps(c.ifSpeed, c.highSpeed), c.kbps);
    }
}

} // namespace
