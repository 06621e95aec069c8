#include "QuotaNotice.h"
#include "UsageTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct LevelCase
{
    uint64_t used;
    uint64_t quota;
    int sent;
    int due;
};

TEST(QuotaNoticeTest, DueLevels)
{
    const uint64_t q = 10000000000ULL; // 10 GB
    const LevelCase cases[] = {
        {0, q, 0, 0},
        {q * 4 / 5 - 1, q, 0, 0},
        {q * 4 / 5, q, 0, 80},
        {q * 4 / 5, q, 80, 0},
        {q - 1, q, 80, 0},
        {q, q, 80, 100},
        {q, q, 0, 100}, // both marks passed at once: only the 100 % notice
        {q * 3, q, 100, 0},
        {q, 0, 0, 0}, // no quota
        {~0ULL, q, 0, 100},
        {4, 5, 0, 80}, // exactly 80 % of a quota not divisible by 5 is not rounded away
        {3, 5, 0, 0},
    };
    for (const LevelCase& c : cases)
        EXPECT_EQ(QuotaNotice::dueLevel(c.used, c.quota, c.sent), c.due)
            << c.used << " of " << c.quota << " sent " << c.sent;
}

TEST(QuotaNoticeTest, CountedOctetsByKind)
{
    EXPECT_EQ(QuotaNotice::countedOctets(TQuotaKind::Download, 7, 3), 7u);
    EXPECT_EQ(QuotaNotice::countedOctets(TQuotaKind::Upload, 7, 3), 3u);
    EXPECT_EQ(QuotaNotice::countedOctets(TQuotaKind::Both, 7, 3), 10u);
}

TEST(QuotaNoticeTest, MessageText)
{
    EXPECT_EQ(QuotaNotice::message("Router", 80, 8004999999ULL, 10),
              "Router has used 80 % of its monthly quota (8.00 of 10 GB).");
    EXPECT_EQ(QuotaNotice::message("Router", 100, 10050000000ULL, 10),
              "Router has used 100 % of its monthly quota (10.05 of 10 GB).");
}

class QuotaRecorderTest : public UsageFixture
{
};

// The recorder gives each notice once per period, across restarts of the
// program, and again in the next period.
TEST_F(QuotaRecorderTest, NoticesOncePerPeriodEach)
{
    const std::string key = "10.0.0.1#2";
    TUsageSensorConfig sensor{key, "Router", {15, 1, TQuotaKind::Download}}; // 1 GB from the 15th
    struct Step
    {
        int64_t at;
        uint64_t octets;
        int expectedLevel; // 0: no message
        bool restart;
    };
    const int64_t d16 = localNoon(2026, 3, 16);
    const int64_t d20 = localNoon(2026, 3, 20);
    const int64_t nextPeriod = localNoon(2026, 4, 15);
    const Step steps[] = {
        {d16, 700000000, 0, false},
        {d16 + 120, 100000000, 80, false}, // 800 MB: 80 %
        {d16 + 240, 50000000, 0, false},
        {d20, 1, 0, true},                  // restarted program: 80 % is not told again
        {d20 + 120, 150000000, 100, false}, // 1.000000001 GB
        {d20 + 240, 500000000, 0, true},
        {nextPeriod, 1100000000, 100, false}, // new period: passes both marks at once
        {nextPeriod + 120, 10, 0, false},
    };
    auto recorder = std::make_unique<TUsageRecorder>(dbPath(), nullptr);
    recorder->setSensors({sensor});
    for (const Step& s : steps) {
        if (s.restart) {
            recorder = std::make_unique<TUsageRecorder>(dbPath(), nullptr);
            recorder->setSensors({sensor});
        }
        feedMinute(*recorder, key, s.at, s.octets);
        const std::vector<std::string> messages = recorder->afterPass(s.at + 60);
        if (s.expectedLevel == 0) {
            EXPECT_TRUE(messages.empty()) << s.at << ": " << (messages.empty() ? "" : messages[0]);
        } else {
            ASSERT_EQ(messages.size(), 1u) << s.at;
            EXPECT_NE(messages[0].find("used " + std::to_string(s.expectedLevel) + " %"),
                      std::string::npos)
                << messages[0];
        }
    }
}

} // namespace
