#include "UsageAccounting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int64_t kStart = 1767225600; // 2026-01-01 00:00 UTC
constexpr uint64_t k32 = 1ULL << 32;

// One step of a scripted sensor: seconds after the previous step, counters
// and uptime as read, and the octets the step must count.
struct Step
{
    int64_t after;
    uint64_t down;
    uint64_t up;
    int64_t upTime; // hundredths
    uint64_t countDown;
    uint64_t countUp;
    bool good = true;
};

struct Script
{
    const char* name;
    int bits;
    std::vector<Step> steps;
};

const Script kScripts[] = {
    {"first reading counts nothing",
     32,
     {{0, 5000, 7000, 100000, 0, 0}, {5, 6000, 7100, 100500, 1000, 100}}},
    {"32-bit wrap", 32, {{0, k32 - 1000, k32 - 10, 100000, 0, 0}, {5, 500, 20, 100500, 1500, 30}}},
    {"64-bit wrap", 64, {{0, ~0ULL - 99, 0, 100000, 0, 0}, {5, 400, 1, 100500, 500, 1}}},
    {"agent restart: uptime went back",
     32,
     {{0, 9000, 9000, 900000, 0, 0}, {5, 100, 100, 300, 0, 0}, {5, 700, 900, 800, 600, 800}}},
    {"agent restart: uptime advanced less than the wall clock",
     32,
     {{0, 9000, 9000, 100000, 0, 0},
      {300, 99000, 99000, 104000, 0, 0}, // 40 s of uptime in 300 s
      {5, 99100, 99200, 104500, 100, 200}}},
    {"counter went back without a restart counts nothing for that direction",
     32,
     {{0, 50000, 50000, 100000, 0, 0}, {5, 100, 50500, 100500, 0, 500}}},
    {"error polls count nothing and keep the last good reading",
     32,
     {{0, 1000, 2000, 100000, 0, 0},
      {5, 0, 0, 0, 0, 0, false},
      {5, 0, 0, 0, 0, 0, false},
      {5, 4000, 2600, 101500, 3000, 600}}},
    {"a gap of more than ten minutes (sleep, clock jump) counts nothing",
     32,
     {{0, 1000, 1000, 100000, 0, 0},
      {601, 9000, 9000, 160100, 0, 0},
      {5, 9500, 9100, 160600, 500, 100}}},
    {"the wall clock going back counts nothing",
     32,
     {{0, 1000, 1000, 100000, 0, 0},
      {-30, 2000, 2000, 100500, 0, 0},
      {5, 2500, 2100, 101000, 500, 100}}},
    {"uptime unknown: counters alone decide",
     32,
     {{0, 1000, 1000, -1, 0, 0}, {5, 1800, 1300, -1, 800, 300}}},
    {"uptime lost after the first poll",
     32,
     {{0, 1000, 1000, 100000, 0, 0}, {5, 1800, 1300, -1, 800, 300}}},
    {"a gap of ten minutes exactly still counts",
     32,
     {{0, 1000, 1000, 100000, 0, 0}, {600, 1500, 1100, 160000, 500, 100}}},
    {"half the range or more in one poll is a counter reset",
     32,
     {{0, 0x10, 0x10, 100000, 0, 0}, {5, 0x80000010, 0x7FFFFFFF, 100500, 0, 0x7FFFFFEF}}},
};

TEST(UsageAccountingTest, ScriptedSensors)
{
    for (const Script& script : kScripts) {
        TUsageAccounting accounting;
        int64_t now = kStart;
        uint64_t wantDown = 0;
        uint64_t wantUp = 0;
        for (std::size_t i = 0; i < script.steps.size(); ++i) {
            const Step& s = script.steps[i];
            now += s.after;
            if (!s.good) {
                accounting.errorPoll("a#1");
                continue;
            }
            const TOctets got =
                accounting.goodPoll({"a#1", now, s.down, s.up, script.bits, s.upTime});
            EXPECT_EQ(got.down, s.countDown) << script.name << " step " << i;
            EXPECT_EQ(got.up, s.countUp) << script.name << " step " << i;
            wantDown += s.countDown;
            wantUp += s.countUp;
        }
        // What was counted is exactly what waits to be written.
        uint64_t pendingDown = 0;
        uint64_t pendingUp = 0;
        for (const auto& [where, minute] : accounting.takeBatch()) {
            pendingDown += minute.octets.down;
            pendingUp += minute.octets.up;
        }
        EXPECT_EQ(pendingDown, wantDown) << script.name;
        EXPECT_EQ(pendingUp, wantUp) << script.name;
        EXPECT_FALSE(accounting.hasPending());
    }
}

TEST(UsageAccountingTest, SensorsAreKeptApartAndMinutesByTheirStart)
{
    setenv("TZ", "UTC", 1);
    tzset();
    TUsageAccounting accounting;
    accounting.goodPoll({"a#1", kStart + 50, 0x100, 0, 32, 100});
    accounting.goodPoll({"b#2", kStart + 50, 0x100, 0, 32, 100});
    accounting.goodPoll({"a#1", kStart + 55, 0x200, 0, 32, 600});  // minute 0
    accounting.goodPoll({"a#1", kStart + 65, 0x300, 0, 32, 1600}); // minute 1
    accounting.goodPoll({"b#2", kStart + 65, 0x900, 0, 32, 1600});
    const TUsageBatch batch = accounting.takeBatch();
    ASSERT_EQ(batch.size(), 3u);
    EXPECT_EQ(batch.at({"a#1", kStart}).octets.down, 0x100u);
    EXPECT_EQ(batch.at({"a#1", kStart + 60}).octets.down, 0x100u);
    EXPECT_EQ(batch.at({"b#2", kStart + 60}).octets.down, 0x800u);
    EXPECT_EQ(batch.at({"b#2", kStart + 60}).localDay, 20260101);
}

TEST(UsageAccountingTest, ForgettingASensorStartsItAfresh)
{
    TUsageAccounting accounting;
    accounting.goodPoll({"a#1", kStart, 1000, 1000, 32, 100});
    accounting.forget("a#1");
    const TOctets got = accounting.goodPoll({"a#1", kStart + 5, 5000, 5000, 32, 600});
    EXPECT_EQ(got.down, 0u);
    EXPECT_EQ(got.up, 0u);
}

} // namespace
