// The rule that decides whether the octets an agent counted while the program
// was closed are counted, one case a row; and how a counted span is shared
// over the hours and days it covered.

#include "ClosedSpan.h"
#include "CalendarDay.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int64_t kStart = 1767225600; // 2026-01-01 00:00 UTC
constexpr double kGigabit = 1e9 / 8;   // bytes per second
constexpr double k10Mbit = 10e6 / 8;

struct TRuleRow
{
    const char* what;
    TKeptSample before;
    TKeptSample now;
    CounterSpeeds speeds;
    ClosedSpanVerdict verdict;
    TOctets octets;
};

TKeptSample kept(int64_t wallTime, uint64_t down, uint64_t up, int bits, int64_t upTime,
                 int64_t boots = -1, const char* name = "eth0")
{
    return {wallTime, down, up, bits, upTime, boots, name};
}

// An hour closed: uptime 1000 s before, 4600 s after.
const TRuleRow kRules[] = {
    {"64-bit, agent up all along",
     kept(kStart, 1000, 50, 64, 100000),
     kept(kStart + 3600, 9000001000ULL, 700050, 64, 460000),
     {kGigabit, kGigabit},
     ClosedSpanVerdict::Counted,
     {9000000000ULL, 700000}},
    {"64-bit, unknown speed",
     kept(kStart, 0, 0, 64, 100000),
     kept(kStart + 3600, 5, 7, 64, 460000),
     {},
     ClosedSpanVerdict::Counted,
     {5, 7}},
    {"64-bit, uptime a little behind the wall clock (slack)",
     kept(kStart, 0, 0, 64, 100000),
     kept(kStart + 3600, 5, 7, 64, 100000 + 359000),
     {},
     ClosedSpanVerdict::Counted,
     {5, 7}},
    {"64-bit, uptime passed its top over the span",
     kept(kStart, 0, 0, 64, 0xFFFFFFFFLL - 1000),
     kept(kStart + 3600, 5, 7, 64, 359000),
     {},
     ClosedSpanVerdict::Counted,
     {5, 7}},
    {"32-bit within the wrap bound",
     kept(kStart, 100, 200, 32, 100000),
     kept(kStart + 3600, 4000100, 300, 32, 460000),
     {k10Mbit / 10, k10Mbit / 10},
     ClosedSpanVerdict::Counted,
     {4000000, 100}},
    {"32-bit just within the bound",
     kept(kStart, 0, 0, 32, 100000),
     kept(kStart + 3600, 1, 1, 32, 460000),
     {4294967295.0 / 3600 - 1, 4294967295.0 / 3600 - 1},
     ClosedSpanVerdict::Counted,
     {1, 1}},
    {"32-bit past the wrap bound",
     kept(kStart, 0, 0, 32, 100000),
     kept(kStart + 3600, 1, 1, 32, 460000),
     {k10Mbit, k10Mbit},
     ClosedSpanVerdict::MayHaveWrapped,
     {}},
    // 2^20 bytes per second for 2^12 s is 2^32 octets exactly.
    {"32-bit at the wrap bound",
     kept(kStart, 0, 0, 32, 100000),
     kept(kStart + 4096, 1, 1, 32, 100000 + 409600),
     {1048576.0, 1},
     ClosedSpanVerdict::MayHaveWrapped,
     {}},
    {"32-bit of unknown speed",
     kept(kStart, 0, 0, 32, 100000),
     kept(kStart + 60, 1, 1, 32, 106000),
     {},
     ClosedSpanVerdict::MayHaveWrapped,
     {}},
    {"32-bit counter below its old reading",
     kept(kStart, 500, 0, 32, 100000),
     kept(kStart + 60, 400, 0, 32, 106000),
     {1000, 1000},
     ClosedSpanVerdict::CounterWentBack,
     {}},
    {"64-bit counter went back",
     kept(kStart, 500, 0, 64, 100000),
     kept(kStart + 60, 400, 0, 64, 106000),
     {},
     ClosedSpanVerdict::CounterWentBack,
     {}},
    {"64-bit jump beyond the interface",
     kept(kStart, 0, 0, 64, 100000),
     kept(kStart + 60, 1ULL << 40, 0, 64, 106000),
     {k10Mbit, k10Mbit},
     ClosedSpanVerdict::CounterWentBack,
     {}},
    {"restart by uptime: it went back",
     kept(kStart, 0, 0, 64, 100000),
     kept(kStart + 3600, 5, 5, 64, 3000),
     {},
     ClosedSpanVerdict::AgentRestarted,
     {}},
    {"restart by uptime: grew less than the wall clock",
     kept(kStart, 0, 0, 64, 1000),
     kept(kStart + 3600, 5, 5, 64, 1000 + 300000),
     {},
     ClosedSpanVerdict::AgentRestarted,
     {}},
    {"restart by boots, uptime grown",
     kept(kStart, 0, 0, 64, 100000, 3),
     kept(kStart + 3600, 5, 5, 64, 460000, 4),
     {},
     ClosedSpanVerdict::EngineRebooted,
     {}},
    {"same boots",
     kept(kStart, 0, 0, 64, 100000, 3),
     kept(kStart + 3600, 5, 5, 64, 460000, 3),
     {},
     ClosedSpanVerdict::Counted,
     {5, 5}},
    {"interface renamed",
     kept(kStart, 0, 0, 64, 100000, -1, "eth0"),
     kept(kStart + 3600, 5, 5, 64, 460000, -1, "eth1"),
     {},
     ClosedSpanVerdict::OtherInterface,
     {}},
    {"other width",
     kept(kStart, 0, 0, 32, 100000),
     kept(kStart + 60, 5, 5, 64, 106000),
     {1, 1},
     ClosedSpanVerdict::OtherInterface,
     {}},
    {"clock went back",
     kept(kStart, 0, 0, 64, 100000),
     kept(kStart - 1, 5, 5, 64, 460000),
     {},
     ClosedSpanVerdict::ClockWentBack,
     {}},
    {"uptime not read",
     kept(kStart, 0, 0, 64, -1),
     kept(kStart + 60, 5, 5, 64, 106000),
     {},
     ClosedSpanVerdict::NoUpTime,
     {}},
    {"kept time no clock reads",
     kept(INT64_MIN, 0, 0, 64, 100000),
     kept(kStart, 5, 5, 64, 106000),
     {},
     ClosedSpanVerdict::NoUpTime,
     {}},
    {"kept uptime beyond 32 bits",
     kept(kStart, 0, 0, 64, (int64_t(7) << 40) + 100000),
     kept(kStart + 60, 5, 5, 64, 106000),
     {},
     ClosedSpanVerdict::NoUpTime,
     {}},
    {"span longer than the uptime tells",
     kept(kStart, 0, 0, 64, 100000),
     kept(kStart + 250LL * 86400, 5, 5, 64, 200000),
     {},
     ClosedSpanVerdict::NoUpTime,
     {}},
};

TEST(ClosedSpanRule, EachRowGivesItsVerdictAndOctets)
{
    for (const TRuleRow& row : kRules) {
        const TClosedSpanDecision d = ClosedSpan::decide(row.before, row.now, row.speeds);
        EXPECT_EQ(d.verdict, row.verdict) << row.what;
        EXPECT_EQ(d.octets.down, row.octets.down) << row.what;
        EXPECT_EQ(d.octets.up, row.octets.up) << row.what;
    }
}

TEST(ClosedSpanRule, EveryGapHasWordsOfItsOwn)
{
    EXPECT_EQ(ClosedSpan::gapReason(ClosedSpanVerdict::AgentRestarted), "the agent restarted");
    EXPECT_EQ(ClosedSpan::gapReason(ClosedSpanVerdict::MayHaveWrapped),
              "32-bit counters may have wrapped");
    EXPECT_EQ(ClosedSpan::gapReason(ClosedSpanVerdict::OtherInterface), "the interface changed");
}

class ClosedSpanSpread : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        m_saved = tz ? tz : "";
        m_had = tz != nullptr;
    }
    void TearDown() override
    {
        if (m_had)
            setenv("TZ", m_saved.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void zone(const char* tz)
    {
        setenv("TZ", tz, 1);
        tzset();
    }
    std::string m_saved;
    bool m_had = false;
};

TEST_F(ClosedSpanSpread, SharesBySecondsOverHoursAndAddsUpExactly)
{
    zone("UTC");
    // 23:30 to 01:30 of the next day: half an hour, a full hour, half an hour.
    const int64_t from = kStart - 1800;
    const auto pieces = ClosedSpan::spread(from, from + 7200, {7201, 4});
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].hour, kStart - 3600);
    EXPECT_EQ(pieces[0].localDay, 20251231);
    EXPECT_EQ(pieces[1].hour, kStart);
    EXPECT_EQ(pieces[1].localDay, 20260101);
    EXPECT_EQ(pieces[2].hour, kStart + 3600);
    EXPECT_EQ(pieces[0].octets.down, 1800u); // 7201 / 4, rounded down
    EXPECT_EQ(pieces[1].octets.down, 3600u);
    EXPECT_EQ(pieces[2].octets.down, 1801u); // the rest falls at the end
    EXPECT_EQ(pieces[0].octets.up + pieces[1].octets.up + pieces[2].octets.up, 4u);
}

TEST_F(ClosedSpanSpread, CutsAtALocalMidnightInsideAnHour)
{
    zone("IST-5:30");
    // Local midnight of 2026-01-01 is 18:30 UTC of 2025-12-31.
    const int64_t midnight = TCalendarDay{2026, 1, 1}.localStart();
    ASSERT_EQ(midnight % 3600, 1800);
    const auto pieces = ClosedSpan::spread(midnight - 600, midnight + 600, {1200, 0});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].hour, pieces[1].hour);
    EXPECT_EQ(pieces[0].localDay, 20251231);
    EXPECT_EQ(pieces[1].localDay, 20260101);
    EXPECT_EQ(pieces[0].octets.down, 600u);
    EXPECT_EQ(pieces[1].octets.down, 600u);
}

TEST_F(ClosedSpanSpread, HugeCountsOverLongSpansLoseNoOctet)
{
    zone("UTC");
    const TOctets total{0xFFFFFFFFFFFFFFF0ULL, 123456789012345ULL};
    const auto pieces = ClosedSpan::spread(kStart + 17, kStart + 40 * 86400 + 5, total);
    EXPECT_EQ(pieces.size(), 40u * 24 + 1);
    TOctets sum;
    for (const auto& p : pieces) {
        sum.down += p.octets.down;
        sum.up += p.octets.up;
    }
    EXPECT_EQ(sum.down, total.down);
    EXPECT_EQ(sum.up, total.up);
}

TEST_F(ClosedSpanSpread, NoTimeAtAllBooksAtTheEnd)
{
    zone("UTC");
    const auto pieces = ClosedSpan::spread(kStart + 10, kStart + 10, {5, 6});
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].hour, kStart);
    EXPECT_EQ(pieces[0].octets.down, 5u);
}

} // namespace
