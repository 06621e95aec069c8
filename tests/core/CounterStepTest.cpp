#include "CounterStep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr std::uint64_t Top64 = std::numeric_limits<std::uint64_t>::max();
constexpr double Seconds = 5.0;
// Octets in five seconds at 10 and 100 Gbit/s: both pass 2^32 many times over.
constexpr std::uint64_t At10G = 10'000'000'000ull / 8 * 5;
constexpr std::uint64_t At100G = 100'000'000'000ull / 8 * 5;

TEST(CounterStep, RatesAreExactAtAnySpeedAcrossTheTopAndZeroAfterAReset)
{
    struct Case
    {
        const char* what;
        std::uint64_t previous;
        std::uint64_t current;
        CounterWidth width;
        std::uint64_t octets;
        bool reset;
        double rate;
    };
    const Case cases[] = {
        {"10 Gbit/s", 1000, 1000 + At10G, CounterWidth::Bits64, At10G, false, 1.25e9},
        {"100 Gbit/s", 7, 7 + At100G, CounterWidth::Bits64, At100G, false, 1.25e10},
        {"100 Gbit/s across 2^64", Top64 - 999, At100G - 1000, CounterWidth::Bits64, At100G, false,
         1.25e10},
        {"from the very top to 0", Top64, 0, CounterWidth::Bits64, 1, false, 0.2},
        {"standing still", 42, 42, CounterWidth::Bits64, 0, false, 0},
        {"agent restarted", 5'000'000'000'000ull, 1000, CounterWidth::Bits64, 0, true, 0},
        {"back from half way", (Top64 >> 1) + 1, 10, CounterWidth::Bits64, 0, true, 0},
        {"back by one", 1001, 1000, CounterWidth::Bits64, 0, true, 0},
        {"32-bit across 2^32", 4294967000u, 1000, CounterWidth::Bits32, 1296, false, 259.2},
        {"32-bit going back by little is a reset", 10, 5, CounterWidth::Bits32, 0, true, 0},
        {"32-bit across 2^32 by just under half", 4294967295u, 2147483646u, CounterWidth::Bits32,
         2147483647u, false, 429496729.4},
        {"32-bit across 2^32 by half is a reset", 4294967295u, 2147483647u, CounterWidth::Bits32, 0,
         true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CounterStep step = counterStep(c.previous, c.current, c.width);
        EXPECT_EQ(step.octets, c.octets);
        EXPECT_EQ(step.reset, c.reset);
        EXPECT_DOUBLE_EQ(stepRate(step, Seconds), c.rate);
    }
}

TEST(CounterStep, NoRateWithoutTimePassing)
{
    const CounterStep step = counterStep(0, At10G, CounterWidth::Bits64);
    for (const double seconds : {0.0, -1.0, std::nan("")}) {
        EXPECT_EQ(stepRate(step, seconds), 0.0) << seconds;
    }
    EXPECT_EQ(stepRate(step, 0.5), 2.0 * static_cast<double>(At10G));
}

} // namespace
