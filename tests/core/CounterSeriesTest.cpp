#include "CounterSeries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

constexpr std::uint64_t Top32 = 0xFFFFFFFFu;
constexpr std::uint64_t Jump2to60 = std::uint64_t(1) << 60;
// 10 Mbit/s in bytes per second.
constexpr double TenMbit = 1'250'000;

// A sample of the agent's uptime (hundredths) with both counters.
CounterSample at(double time, std::uint64_t down, std::uint64_t up,
                 CounterWidth width = CounterWidth::Bits64)
{
    CounterSample s;
    s.time = time;
    s.divisor = 100;
    s.down = down;
    s.up = up;
    s.width = width;
    s.agentUpTime = static_cast<std::int64_t>(time);
    return s;
}

CounterSample rebound(CounterSample s, std::uint32_t binding)
{
    s.binding = binding;
    return s;
}

CounterSample saidRestarted(CounterSample s)
{
    s.agentRestarted = true;
    return s;
}

CounterSample localClock(CounterSample s)
{
    s.divisor = 1000;
    s.agentUpTime = -1;
    return s;
}

TEST(CounterSeries, OneStepPerRuleForEveryConsumer)
{
    struct Case
    {
        const char* what;
        std::optional<CounterSample> before;
        CounterSample now;
        CounterSpeeds speeds;
        SeriesEvent event;
        std::uint64_t down;
        std::uint64_t up;
        double downRate;
        double upRate;
    };
    using E = SeriesEvent;
    constexpr auto B32 = CounterWidth::Bits32;
    const CounterSpeeds tenMbit{TenMbit, TenMbit};
    // clang-format off
    const Case cases[] = {
        {"first sample is a baseline", std::nullopt, at(500, 1000, 2000), {}, E::Baseline, 0, 0, 0, 0},
        {"5 s of traffic", at(500, 1000, 2000), at(1000, 6000, 2500), {}, E::Counted, 5000, 500, 1000, 100},
        {"32-bit across its top", at(100, Top32 - 99, 0, B32), at(200, 900, 10, B32), {}, E::Counted, 1000, 10, 1000, 10},
        {"32-bit back by little is a reset of that direction only",
         at(100, 5000, 100, B32), at(200, 4000, 300, B32), {}, E::Counted, 0, 200, 0, 200},
        {"64-bit back is a reset", at(100, 5'000'000'000'000ull, 7), at(200, 1000, 7), {}, E::Counted, 0, 0, 0, 0},
        {"64-bit jump of 2^60 at unknown speed is no traffic",
         at(100, 1000, 1000), at(200, 1000 + Jump2to60, 1100), {}, E::Counted, 0, 100, 0, 100},
        {"1 Tbit/s at unknown speed still counts",
         at(100, 0, 0), at(200, 125'000'000'000ull, 0), {}, E::Counted, 125'000'000'000ull, 0, 1.25e11, 0},
        {"at 10 Mbit/s, 10 x speed over 1 s plus 10 s is the most",
         at(100, 0, 0), at(200, 137'500'000, 137'500'001), tenMbit, E::Counted, 137'500'000, 0, 137'500'000, 0},
        {"agent uptime went back", at(90000, 5000, 5000), at(100, 6000, 6000), {}, E::AgentRestarted, 0, 0, 0, 0},
        {"agent said it restarted",
         at(100, 5000, 5000), saidRestarted(at(200, 6000, 6000)), {}, E::AgentRestarted, 0, 0, 0, 0},
        {"counters chosen anew (interface moved)",
         at(100, 5000, 5000), rebound(at(200, 6000, 6000), 1), {}, E::Rebound, 0, 0, 0, 0},
        {"other width", at(100, 5000, 5000, B32), at(200, 6000, 6000), {}, E::Rebound, 0, 0, 0, 0},
        {"other time source", at(100, 5000, 5000), localClock(at(2000, 6000, 6000)), {}, E::Rebound, 0, 0, 0, 0},
        {"standing clock counts octets but no rate",
         localClock(at(700, 5000, 5000)), localClock(at(700, 6000, 6000)), {}, E::Counted, 1000, 1000, 0, 0},
        {"local clock across 2^32 ms",
         localClock(at(Top32 - 499, 0, 0)), localClock(at(500, 2000, 0)), {}, E::Counted, 2000, 0, 2000, 0},
        {"midpoint half a tick",
         localClock(at(1000.5, 0, 0)), localClock(at(1500, 100, 0)), {}, E::Counted, 100, 0, 100 / 0.4995, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CounterSeries series;
        if (c.before)
            series.step(*c.before, c.speeds);
        const SeriesStep step = series.step(c.now, c.speeds);
        EXPECT_EQ(step.event, c.event);
        EXPECT_EQ(step.downOctets(), c.down);
        EXPECT_EQ(step.upOctets(), c.up);
        EXPECT_DOUBLE_EQ(step.downRate(), c.downRate);
        EXPECT_DOUBLE_EQ(step.upRate(), c.upRate);
        // Whatever happened, this sample is the baseline of the next step.
        const SeriesStep next = series.step(
            [&] {
                CounterSample later = c.now;
                later.time += 100;
                later.agentUpTime = later.agentUpTime < 0 ? -1 : later.agentUpTime + 100;
                later.agentRestarted = false;
                later.down += 10;
                later.up += 20;
                return later;
            }(),
            c.speeds);
        EXPECT_EQ(next.event, SeriesEvent::Counted);
        EXPECT_EQ(next.downOctets(), 10u);
        EXPECT_EQ(next.upOctets(), 20u);
    }
}

TEST(CounterSeries, RestartForgetsTheBaseline)
{
    CounterSeries series;
    series.step(at(100, 1000, 1000));
    series.restart();
    EXPECT_FALSE(series.hasBaseline());
    EXPECT_EQ(series.step(at(200, 9000, 9000)).event, SeriesEvent::Baseline);
    EXPECT_EQ(series.step(at(300, 9100, 9000)).downOctets(), 100u);
}

} // namespace
