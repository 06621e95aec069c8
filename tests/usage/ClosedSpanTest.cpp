// The rule that decides whether the octets an agent counted while the program
// was closed are counted, one case a row; and how a counted span is shared
// over the hours and days it covered.

#include "ClosedSpan.h"
#include "CalendarDay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

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

using V = ClosedSpanVerdict;

// An hour closed: uptime 1000 s before, 4600 s after.
// clang-format off
const TRuleRow kRules[] = {
    {"64-bit, agent up all along", kept(kStart, 1000, 50, 64, 100000), kept(kStart + 3600, 9000001000ULL, 700050, 64, 460000), {kGigabit, kGigabit}, V::Counted, {9000000000ULL, 700000}},
    {"64-bit, unknown speed", kept(kStart, 0, 0, 64, 100000), kept(kStart + 3600, 5, 7, 64, 460000), {}, V::Counted, {5, 7}},
    {"64-bit, uptime a little behind the wall clock (slack)", kept(kStart, 0, 0, 64, 100000), kept(kStart + 3600, 5, 7, 64, 100000 + 359000), {}, V::Counted, {5, 7}},
    {"64-bit, uptime passed its top over the span", kept(kStart, 0, 0, 64, 0xFFFFFFFFLL - 1000), kept(kStart + 3600, 5, 7, 64, 359000), {}, V::Counted, {5, 7}},
    {"32-bit within the wrap bound", kept(kStart, 100, 200, 32, 100000), kept(kStart + 3600, 4000100, 300, 32, 460000), {k10Mbit / 10, k10Mbit / 10}, V::Counted, {4000000, 100}},
    {"32-bit just within the bound", kept(kStart, 0, 0, 32, 100000), kept(kStart + 3600, 1, 1, 32, 460000), {4294967295.0 / 3600 - 1, 4294967295.0 / 3600 - 1}, V::Counted, {1, 1}},
    {"32-bit past the wrap bound", kept(kStart, 0, 0, 32, 100000), kept(kStart + 3600, 1, 1, 32, 460000), {k10Mbit, k10Mbit}, V::MayHaveWrapped, {}},
    // 2^20 bytes per second for 2^12 s is 2^32 octets exactly.
    {"32-bit at the wrap bound", kept(kStart, 0, 0, 32, 100000), kept(kStart + 4096, 1, 1, 32, 100000 + 409600), {1048576.0, 1}, V::MayHaveWrapped, {}},
    {"32-bit at the wrap bound upwards", kept(kStart, 0, 0, 32, 100000), kept(kStart + 4096, 1, 1, 32, 100000 + 409600), {1, 1048576.0}, V::MayHaveWrapped, {}},
    {"32-bit of unknown speed", kept(kStart, 0, 0, 32, 100000), kept(kStart + 60, 1, 1, 32, 106000), {}, V::MayHaveWrapped, {}},
    {"32-bit counter below its old reading", kept(kStart, 500, 0, 32, 100000), kept(kStart + 60, 400, 0, 32, 106000), {1000, 1000}, V::CounterWentBack, {}},
    {"32-bit upload below its old reading", kept(kStart, 0, 500, 32, 100000), kept(kStart + 60, 9, 400, 32, 106000), {1000, 1000}, V::CounterWentBack, {}},
    {"64-bit counter went back", kept(kStart, 500, 0, 64, 100000), kept(kStart + 60, 400, 0, 64, 106000), {}, V::CounterWentBack, {}},
    {"64-bit jump beyond the interface", kept(kStart, 0, 0, 64, 100000), kept(kStart + 60, 1ULL << 40, 0, 64, 106000), {k10Mbit, k10Mbit}, V::CounterWentBack, {}},
    {"restart by uptime: it went back", kept(kStart, 0, 0, 64, 100000), kept(kStart + 3600, 5, 5, 64, 3000), {}, V::AgentRestarted, {}},
    {"restart by uptime: grew less than the wall clock", kept(kStart, 0, 0, 64, 1000), kept(kStart + 3600, 5, 5, 64, 1000 + 300000), {}, V::AgentRestarted, {}},
    {"restart by boots, uptime grown", kept(kStart, 0, 0, 64, 100000, 3), kept(kStart + 3600, 5, 5, 64, 460000, 4), {}, V::EngineRebooted, {}},
    {"engine replaced: fewer boots", kept(kStart, 0, 0, 64, 100000, 7), kept(kStart + 3600, 5, 5, 64, 460000, 1), {}, V::EngineRebooted, {}},
    {"same boots", kept(kStart, 0, 0, 64, 100000, 3), kept(kStart + 3600, 5, 5, 64, 460000, 3), {}, V::Counted, {5, 5}},
    {"interface renamed", kept(kStart, 0, 0, 64, 100000, -1, "eth0"), kept(kStart + 3600, 5, 5, 64, 460000, -1, "eth1"), {}, V::OtherInterface, {}},
    {"other width", kept(kStart, 0, 0, 32, 100000), kept(kStart + 60, 5, 5, 64, 106000), {1, 1}, V::OtherInterface, {}},
    {"clock went back", kept(kStart, 0, 0, 64, 100000), kept(kStart - 1, 5, 5, 64, 460000), {}, V::ClockWentBack, {}},
    {"uptime not read", kept(kStart, 0, 0, 64, -1), kept(kStart + 60, 5, 5, 64, 106000), {}, V::NoUpTime, {}},
    {"kept time no clock reads", kept(INT64_MIN, 0, 0, 64, 100000), kept(kStart, 5, 5, 64, 106000), {}, V::NoUpTime, {}},
    {"kept uptime beyond 32 bits", kept(kStart, 0, 0, 64, (int64_t(7) << 40) + 100000), kept(kStart + 60, 5, 5, 64, 106000), {}, V::NoUpTime, {}},
    {"span longer than the uptime tells", kept(kStart, 0, 0, 64, 100000), kept(kStart + 250LL * 86400, 5, 5, 64, 200000), {}, V::NoUpTime, {}},
};
// clang-format on

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

// A closed span cut at hours and local midnights, one span a row: the first
// pieces as listed (hour, local day, octets), and all of them adding up to
// the whole.
struct TSpreadRow
{
    const char* what;
    const char* zone;
    int64_t from;
    int64_t to;
    TOctets total;
    std::size_t count;
    std::vector<ClosedSpan::TPiece> first;
};

// Local midnight of 2026-01-01 in India (UTC+5:30), inside an hour.
constexpr int64_t kIndiaMidnight = kStart - 19800;

// clang-format off
const TSpreadRow kSpreads[] = {
    // 23:30 to 01:30: half an hour, an hour, half an hour; the rest of a
    // share rounded down falls at the end.
    {"over three hours", "UTC", kStart - 1800, kStart + 5400, {7201, 4}, 3, {{kStart - 3600, 20251231, {1800, 1}}, {kStart, 20260101, {3600, 2}}, {kStart + 3600, 20260101, {1801, 1}}}},
    {"a local midnight inside an hour", "IST-5:30", kIndiaMidnight - 600, kIndiaMidnight + 600, {1200, 0}, 2, {{kIndiaMidnight - 1800, 20251231, {600, 0}}, {kIndiaMidnight - 1800, 20260101, {600, 0}}}},
    {"one whole hour, no empty piece after it", "UTC", kStart, kStart + 3600, {9, 3}, 1, {{kStart, 20260101, {9, 3}}}},
    {"huge counts over forty days", "UTC", kStart + 17, kStart + 40 * 86400 + 5, {0xFFFFFFFFFFFFFFF0ULL, 123456789012345ULL}, 40 * 24 + 1, {}},
    {"no time at all: booked where it ends", "UTC", kStart + 10, kStart + 10, {5, 6}, 1, {{kStart, 20260101, {5, 6}}}},
};
// clang-format on

TEST(ClosedSpanSpread, EachRowCutsAtHoursAndMidnightsAndAddsUpExactly)
{
    const char* tz = std::getenv("TZ");
    const std::string saved = tz ? tz : "";
    for (const TSpreadRow& row : kSpreads) {
        setenv("TZ", row.zone, 1);
        tzset();
        const auto pieces = ClosedSpan::spread(row.from, row.to, row.total);
        ASSERT_EQ(pieces.size(), row.count) << row.what;
        TOctets sum;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i < row.first.size()) {
                EXPECT_EQ(pieces[i].hour, row.first[i].hour) << row.what << " " << i;
                EXPECT_EQ(pieces[i].localDay, row.first[i].localDay) << row.what << " " << i;
                EXPECT_EQ(pieces[i].octets.down, row.first[i].octets.down) << row.what << " " << i;
                EXPECT_EQ(pieces[i].octets.up, row.first[i].octets.up) << row.what << " " << i;
            }
            sum.down += pieces[i].octets.down;
            sum.up += pieces[i].octets.up;
        }
        EXPECT_EQ(sum.down, row.total.down) << row.what;
        EXPECT_EQ(sum.up, row.total.up) << row.what;
    }
    if (tz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

} // namespace
