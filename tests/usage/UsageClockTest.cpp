// The wall clock set a month ahead or back while the program records: every
// minute is booked under the day it happened and no row that should be kept
// is pruned.
#include "UsageClock.h"
#include "CalendarDay.h"
#include "UsageDatabase.h"
#include "UsageTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kDay = 86400;

struct ClockStep
{
    int64_t wall;   // what the wall clock says
    int64_t steady; // what the steady clock says
    int64_t booked; // what the history books by
    bool off;
};

TEST(UsageClock, FollowsTheWallClockOnlyWhileItMovesAsTheSteadyOne)
{
    const int64_t t = 1'800'000'000;
    const ClockStep steps[] = {
        {t, 500, t, false},                        // the first reading is taken
        {t + 60, 560, t + 60, false},              // in step
        {t + 121, 620, t + 121, false},            // a time server's second
        {t + 180 + 30 * kDay, 680, t + 181, true}, // a month ahead
        {t + 240 + 30 * kDay, 740, t + 241, true}, // still ahead: steady time goes on
        {t + 300, 800, t + 300, false},            // set right again
        {t + 360 - 30 * kDay, 860, t + 360, true}, // a month back
        {t + 420 + 120, 920, t + 540, false},      // within the tolerance: followed
        {t + 540 + 3 * 3600, 920 + 3 * 3600, t + 540 + 3 * 3600, false}, // suspend counts on
    };
    std::size_t i = 0;
    TUsageClock clock([&] { return steps[i].wall; }, [&] { return steps[i].steady; });
    for (i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(clock.now(), steps[i].booked) << "step " << i;
        EXPECT_EQ(clock.wallClockOff(), steps[i].off) << "step " << i;
    }
}

TEST(UsageClock, AWallClockAloneIsTrustedAsItIs)
{
    int64_t wall = 1'800'000'000;
    TUsageClock clock([&] { return wall; });
    EXPECT_EQ(clock.now(), wall);
    wall += 30 * kDay;
    EXPECT_EQ(clock.now(), wall);
    EXPECT_FALSE(clock.wallClockOff());
}

class UsageClockJump : public UsageFixture
{
};

struct JumpCase
{
    const char* name;
    int64_t jump;
};

// Three days of minute rows, then a session of 20 minutes with a poll every
// 5 s whose wall clock is off by `jump` from minute 4 to minute 14.
TEST_F(UsageClockJump, MinutesAreBookedWhenTheyHappenedAndKeptRowsStay)
{
    const JumpCase cases[] = {{"30 days ahead", 30 * kDay}, {"30 days back", -30 * kDay}};
    for (const JumpCase& c : cases) {
        std::filesystem::remove_all(m_root / "data");
        const int64_t noon = localNoon(2026, 11, 18);
        const int32_t today = TCalendarDay::localDayOf(noon).key();
        {
            TUsageRecorder earlier(dbPath(), nullptr);
            for (int d = 3; d >= 1; --d) {
                feedMinute(earlier, "a#1", noon - d * kDay, 100);
                earlier.flush(noon - d * kDay + 60);
            }
        }
        int64_t steady = 7000;
        int64_t elapsed = 0;
        TUsageClock clock(
            [&] { return noon + elapsed + (elapsed >= 240 && elapsed < 840 ? c.jump : 0); },
            [&] { return steady + elapsed; });
        TUsageRecorder recorder(dbPath(), nullptr);
        uint64_t counter = 0;
        for (elapsed = 0; elapsed <= 1200; elapsed += 5) {
            const int64_t now = clock.now();
            recorder.goodPoll({"a#1", now, counter, counter / 4, 64, now * 100});
            counter += 1000;
            recorder.afterPass(now);
        }
        recorder.flush(clock.now());
        auto db = TUsageDatabase::openForReading(dbPath());
        // 240 polls after the first, 1000 octets each, all of them today.
        EXPECT_EQ(db->total("a#1", today, today + 1).down, 240'000u) << c.name;
        const int32_t away = TCalendarDay::localDayOf(noon + c.jump).key();
        EXPECT_TRUE(db->days("a#1", std::min(away, today - 5), today).size() == 3u) << c.name;
        EXPECT_TRUE(db->days("a#1", today + 1, std::max(away, today) + 1).empty()) << c.name;
        // The earlier days' minutes are younger than a week: kept.
        for (int d = 3; d >= 1; --d)
            EXPECT_EQ(db->minutes("a#1", noon - d * kDay, noon - d * kDay + 60).size(), 1u)
                << c.name << ", " << d << " days ago";
    }
}

// A write dated a month ahead, the first of a program started with the clock
// wrong, prunes nothing newer than the history's last minute allows.
TEST_F(UsageClockJump, AWriteDatedAheadPrunesNoRowNewerThanTheLastWrite)
{
    const int64_t noon = localNoon(2026, 11, 18);
    std::string notice;
    {
        auto db = TUsageDatabase::openForWriting(dbPath(), notice);
        TUsageBatch batch;
        batch[{"a#1", noon - kDay}] = {{50, 5}, TCalendarDay::localDayOf(noon - kDay).key()};
        db->write(batch, {}, noon);
    }
    auto db = TUsageDatabase::openForWriting(dbPath(), notice);
    TUsageBatch ahead;
    ahead[{"a#1", noon + 30 * kDay}] = {{70, 7}, TCalendarDay::localDayOf(noon + 30 * kDay).key()};
    db->write(ahead, {}, noon + 30 * kDay);
    EXPECT_EQ(db->minutes("a#1", noon - kDay, noon - kDay + 60).size(), 1u);
    // Pruning itself still works once the time is believed.
    TUsageBatch later;
    later[{"a#1", noon + 40 * kDay}] = {{1, 1}, TCalendarDay::localDayOf(noon + 40 * kDay).key()};
    db->write(later, {}, noon + 40 * kDay);
    EXPECT_TRUE(db->minutes("a#1", noon - kDay, noon - kDay + 60).empty());
}

} // namespace
