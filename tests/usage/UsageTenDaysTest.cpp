#include "UsageTestSupport.h"

#include "CalendarDay.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>

namespace {

// An agent with known counters: every 10 s of simulated time its interface
// moves a known number of octets; its counters are 32-bit and wrap.
struct ScriptedAgent
{
    uint64_t down = 0; // true octets since the agent's boot
    uint64_t up = 0;
    int64_t bootTime = 0;

    void restart(int64_t now)
    {
        down = 0;
        up = 0;
        bootTime = now;
    }
};

class UsageTenDaysTest : public UsageFixture
{
};

// Ten simulated days of polls every 10 s: counter wraps every few minutes,
// silent polls, an agent restart and a stop of the program for three hours.
// The history must hold, to the octet, what passed between good polls of one
// program run and one agent boot, on the local day it passed.
TEST_F(UsageTenDaysTest, TotalsAreExact)
{
    const std::string key = "127.0.0.5#2";
    const int64_t start = localNoon(2026, 3, 20) - 12 * 3600; // local midnight, before DST
    const int64_t end = start + 10 * 86400;
    const int64_t restartAt = start + 3 * 86400 + 7777;
    const int64_t stopFrom = start + 6 * 86400 + 36000;
    const int64_t stopTo = stopFrom + 3 * 3600;

    std::mt19937_64 random(16);
    std::uniform_int_distribution<uint64_t> traffic(0, 60000000); // up to 6 MB/s
    std::bernoulli_distribution silent(0.05);

    ScriptedAgent agent;
    agent.restart(start - 86400);
    std::map<int32_t, TOctets> expected; // by local day
    uint64_t expectedDown = 0;
    bool sawWrap = false;

    auto recorder = std::make_unique<TUsageRecorder>(dbPath(), nullptr);
    recorder->setSensors({{key, "Agent", {}}});
    // The last good reading of this program run and agent boot.
    bool havePrevious = false;
    uint64_t previousDown = 0;
    uint64_t previousUp = 0;
    int64_t previousTime = 0;

    for (int64_t now = start; now < end; now += 10) {
        const uint64_t moreDown = traffic(random);
        const uint64_t moreUp = traffic(random) / 3;
        agent.down += moreDown;
        agent.up += moreUp;
        if (now >= restartAt && now < restartAt + 10) {
            agent.restart(now);
            havePrevious = false;
        }
        if (now >= stopFrom && now < stopTo) {
            if (recorder) {
                recorder->flush(now);
                recorder.reset();
            }
            havePrevious = false;
            continue;
        }
        if (!recorder) {
            recorder = std::make_unique<TUsageRecorder>(dbPath(), nullptr);
            recorder->setSensors({{key, "Agent", {}}});
        }
        if (silent(random)) {
            recorder->errorPoll(key);
        } else {
            const uint64_t downCounter = agent.down & 0xFFFFFFFFULL;
            const uint64_t upCounter = agent.up & 0xFFFFFFFFULL;
            if (havePrevious && downCounter < (previousDown & 0xFFFFFFFFULL))
                sawWrap = true;
            if (havePrevious && now - previousTime <= 600) {
                TOctets& day = expected[TCalendarDay::localDayOf(now).key()];
                day.down += agent.down - previousDown;
                day.up += agent.up - previousUp;
                expectedDown += agent.down - previousDown;
            }
            recorder->goodPoll(
                {key, now, downCounter, upCounter, 32, (now - agent.bootTime) * 100});
            havePrevious = true;
            previousDown = agent.down;
            previousUp = agent.up;
            previousTime = now;
        }
        recorder->afterPass(now);
    }
    recorder->flush(end);
    ASSERT_TRUE(sawWrap) << "the script must wrap the counters";

    auto db = TUsageDatabase::openForReading(dbPath());
    const auto days = db->days(key, 0, 99999999);
    ASSERT_EQ(days.size(), expected.size());
    uint64_t storedDown = 0;
    for (const TDayOctets& d : days) {
        ASSERT_TRUE(expected.count(d.day)) << d.day;
        EXPECT_EQ(d.octets.down, expected[d.day].down) << d.day;
        EXPECT_EQ(d.octets.up, expected[d.day].up) << d.day;
        storedDown += d.octets.down;
    }
    EXPECT_EQ(storedDown, expectedDown);
    EXPECT_GT(expectedDown, 10ULL * 86400 / 10 * 20000000); // the script did move traffic
}

} // namespace
