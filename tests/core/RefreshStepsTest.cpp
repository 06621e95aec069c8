#include "RefreshSteps.h"
#include "CounterSeries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A steady transfer of 100,000 bytes per second through an agent that
// refreshes its counters every `refresh` seconds, read every `poll` seconds:
// the counter readings the polls see, on the agent's uptime (1/100 s).
std::vector<CounterSample> refreshedEvery(int refresh, int poll, int polls, std::uint64_t start = 0,
                                          CounterWidth width = CounterWidth::Bits64)
{
    std::vector<CounterSample> samples;
    for (int i = 0; i <= polls; ++i) {
        const int t = i * poll;
        const int refreshedAt = t / refresh * refresh;
        CounterSample s;
        s.time = t * 100.0;
        s.agentUpTime = t * 100;
        s.width = width;
        const std::uint64_t counted = std::uint64_t(refreshedAt) * 100000;
        s.down = width == CounterWidth::Bits32 ? (start + counted) & 0xFFFFFFFFu : start + counted;
        s.up = s.down / 10;
        samples.push_back(s);
    }
    return samples;
}

std::vector<double> downRates(const std::vector<CounterSample>& samples, RateRule rule)
{
    CounterSeries series;
    std::vector<double> rates;
    for (const CounterSample& s : samples)
        rates.push_back(series.step(s, {}, rule).downRate());
    return rates;
}

// The samples with the counters standing from poll `from` on.
std::vector<CounterSample> idleFrom(std::vector<CounterSample> samples, std::size_t from)
{
    for (std::size_t i = from; i < samples.size(); ++i) {
        samples[i].down = samples[from - 1].down;
        samples[i].up = samples[from - 1].up;
    }
    return samples;
}

// The samples with both counters started again from 0 at poll `at`.
std::vector<CounterSample> resetAt(std::vector<CounterSample> samples, std::size_t at)
{
    const std::uint64_t down = samples[at - 1].down;
    const std::uint64_t up = samples[at - 1].up;
    for (std::size_t i = at; i < samples.size(); ++i) {
        samples[i].down -= down + 50000;
        samples[i].up -= up + 5000;
    }
    return samples;
}

constexpr double K = 100000; // the transfer's true rate

TEST(RefreshSteps, SteadyTransfersAreDrawnSteady)
{
    struct Case
    {
        const char* what;
        std::vector<CounterSample> samples;
        RateRule rule;
        std::vector<double> rates; // what each poll shows, from the baseline on
    };
    using R = RateRule;
    const auto steps3at1 = refreshedEvery(3, 1, 12);
    // clang-format off
    const std::vector<Case> cases = {
        {"refresh 3 s, poll 1 s, per poll: 0, 0, 3x", steps3at1, R::PerPoll,
         {0, 0, 0, 3 * K, 0, 0, 3 * K, 0, 0, 3 * K, 0, 0, 3 * K}},
        {"refresh 3 s, poll 1 s, steady once two refreshes were seen", steps3at1, R::Steady,
         {0, 0, 0, 3 * K, 0, 0, K, K, K, K, K, K, K}},
        {"refresh 5 s, poll 5 s: every poll moves, nothing to spread",
         refreshedEvery(5, 5, 6), R::Steady, {0, K, K, K, K, K, K}},
        {"refresh 10 s, poll 5 s: steady from the second refresh",
         refreshedEvery(10, 5, 8), R::Steady, {0, 0, 2 * K, 0, K, K, K, K, K}},
        {"refresh 3 s on the agent's clock, poll 5 s: one refresh or two a poll",
         refreshedEvery(3, 5, 9), R::Steady, {0, 0.6 * K, 0.9 * K, K, K, K, K, K, K, K}},
        {"the same per poll beats between 0.6 and 1.2", refreshedEvery(3, 5, 5), R::PerPoll,
         {0, 0.6 * K, 1.2 * K, 1.2 * K, 0.6 * K, 1.2 * K}},
        {"the transfer falling to a tenth shows at once, not averaged away",
         [] {
             auto s = refreshedEvery(3, 5, 6);
             for (std::size_t i = 5; i < s.size(); ++i) {
                 s[i].down = s[4].down + (s[i].down - s[4].down) / 10;
                 s[i].up = s[4].up + (s[i].up - s[4].up) / 10;
             }
             return s;
         }(),
         R::Steady, {0, 0.6 * K, 0.9 * K, K, K, 0.12 * K, 0.12 * K}},
        {"counters moving every poll are the poll's own", refreshedEvery(1, 1, 5), R::Steady,
         {0, K, K, K, K, K}},
        {"idle after a steady transfer is 0 one refresh after the last change",
         idleFrom(steps3at1, 10), R::Steady, {0, 0, 0, 3 * K, 0, 0, K, K, K, K, K, K, 0}},
        {"a 32-bit counter across its top", refreshedEvery(3, 1, 12, 0xFFFFFFFFu - 450000,
                                                            CounterWidth::Bits32),
         R::Steady, {0, 0, 0, 3 * K, 0, 0, K, K, K, K, K, K, K}},
        {"a reset is no traffic, and the next refresh is steady again", resetAt(steps3at1, 9),
         R::Steady, {0, 0, 0, 3 * K, 0, 0, K, K, K, 0, 0, 0, K}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<double> rates = downRates(c.samples, c.rule);
        ASSERT_EQ(rates.size(), c.rates.size());
        for (std::size_t i = 0; i < rates.size(); ++i)
            EXPECT_DOUBLE_EQ(rates[i], c.rates[i]) << "poll " << i;
    }
}

TEST(RefreshSteps, BothRulesCountTheSameOctets)
{
    CounterSeries perPoll;
    CounterSeries steady;
    for (const CounterSample& s : refreshedEvery(3, 1, 12)) {
        const SeriesStep a = perPoll.step(s, {}, RateRule::PerPoll);
        const SeriesStep b = steady.step(s, {}, RateRule::Steady);
        EXPECT_EQ(a.downOctets(), b.downOctets());
        EXPECT_EQ(a.upOctets(), b.upOctets());
    }
}

TEST(RefreshSteps, UploadFollowsTheSameRefreshes)
{
    CounterSeries series;
    double last = -1;
    for (const CounterSample& s : refreshedEvery(3, 1, 12))
        last = series.step(s, {}, RateRule::Steady).upRate();
    EXPECT_DOUBLE_EQ(last, K / 10);
}

TEST(RefreshSteps, AQuietTimeLongerThanARefreshIsNoRefresh)
{
    // Two refreshes of 3 s make the counters stepped; then 20 s without
    // traffic and a burst: the burst is the poll's own.
    std::vector<CounterSample> samples = refreshedEvery(3, 1, 6);
    CounterSample s = samples.back();
    for (int i = 1; i <= 20; ++i) {
        s.time += 100;
        s.agentUpTime += 100;
        samples.push_back(s);
    }
    s.time += 100;
    s.agentUpTime += 100;
    s.down += 70000;
    samples.push_back(s);
    const std::vector<double> rates = downRates(samples, RateRule::Steady);
    EXPECT_DOUBLE_EQ(rates[8], K) << "held within the refresh";
    EXPECT_DOUBLE_EQ(rates[9], 0) << "idle after one refresh";
    EXPECT_DOUBLE_EQ(rates.back(), 70000);
}

TEST(RefreshSteps, AnAgentRestartForgetsTheRefreshes)
{
    CounterSeries series;
    for (const CounterSample& s : refreshedEvery(3, 1, 9))
        series.step(s, {}, RateRule::Steady);
    // Started again: the first refresh afterwards is read per poll again.
    std::vector<CounterSample> after = refreshedEvery(3, 1, 4);
    std::vector<double> rates;
    for (const CounterSample& s : after)
        rates.push_back(series.step(s, {}, RateRule::Steady).downRate());
    EXPECT_EQ(rates, (std::vector<double>{0, 0, 0, 3 * K, 0}));
}

} // namespace
