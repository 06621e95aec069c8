// The usage history across a stop of the program: what the agent counted
// meanwhile is added where it belongs and marked, a span it cannot vouch for
// is a gap, the quota follows the full totals, and a history written before
// any of this reads and writes on.

#include "UsageCommandLine.h"
#include "UsageSummary.h"
#include "UsageTestSupport.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <sstream>

namespace {

constexpr const char* kKey = "10.0.0.1#2";

class UsageAcrossStopsTest : public UsageFixture
{
protected:
    // Two polls 30 s apart, 1000 octets down and 10 up between them.
    void runBefore(int64_t t)
    {
        TUsageRecorder recorder(dbPath(), nullptr);
        recorder.setSensors({{kKey, "Router", {}}});
        recorder.goodPoll({kKey, t, 5000, 500, 64, 100000, 7, "eth0"});
        recorder.goodPoll({kKey, t + 30, 6000, 510, 64, 103000, 7, "eth0"});
        recorder.flush(t + 60);
    }

    // The first good poll of the next run, then one more.
    std::vector<std::string> runAfter(const TGoodPoll& first, TSensorUsageSettings settings = {})
    {
        TUsageRecorder recorder(dbPath(), nullptr);
        recorder.setSensors({{kKey, "Router", settings}});
        recorder.goodPoll(first);
        TGoodPoll next = first;
        next.wallTime += 30;
        next.agentUpTime += 3000;
        next.downCounter += 100;
        recorder.goodPoll(next);
        return recorder.afterPass(next.wallTime + 1);
    }

    std::string report(int64_t now)
    {
        const char* args[] = {"travimetra", "--usage"};
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(UsageCommandLine::run(2, const_cast<char**>(args), out, err, dbPath(), now,
                                        {{kKey, "Router", {}}}),
                  0)
            << err.str();
        return out.str();
    }
};

TEST_F(UsageAcrossStopsTest, WhatTheAgentCountedWhileClosedIsAddedAndMarked)
{
    const int64_t t = localNoon(2026, 3, 10);
    runBefore(t);
    // Closed from 12:00:30 to 15:00:30: 3 h, 3,000,000 octets down.
    const int64_t back = t + 30 + 3 * 3600;
    runAfter({kKey, back, 3006000, 1510, 64, 103000 + 3 * 360000, 7, "eth0"});
    auto db = TUsageDatabase::openForReading(dbPath());
    const TOctets day = db->total(kKey, 20260310, 20260311);
    EXPECT_EQ(day.down, 1000u + 3000000u + 100u);
    EXPECT_EQ(day.up, 10u + 1000u);
    const TOctets closed = db->closedTotal(kKey, 20260310, 20260311);
    EXPECT_EQ(closed.down, 3000000u);
    EXPECT_EQ(closed.up, 1000u);
    // Shared by the seconds of each hour: 12:00:30-13:00 holds 3570 s of 10800.
    const int64_t noonHour = t - t % 3600;
    EXPECT_EQ(db->hour(kKey, noonHour)->down, 1000u + 3000000ULL * 3570 / 10800);
    EXPECT_EQ(db->hour(kKey, noonHour + 3600)->down, 1000000u);
    EXPECT_TRUE(db->gaps(kKey, t, back + 60).empty());
    const std::string out = report(back + 120);
    EXPECT_NE(out.find("Counted while closed: " + UsageSummary::octetsText(3000000) + " down, " +
                       UsageSummary::octetsText(1000) + " up"),
              std::string::npos)
        << out; // Upload alone, counted while closed, is said as well.
    TUsageSummary upOnly;
    upOnly.thisPeriodClosed = {0, 1000};
    EXPECT_EQ(UsageSummary::closedLines(upOnly, false),
              std::vector<std::string>{"Counted while closed: 0 B down, 1.00 kB up"});
}

struct TGapCase
{
    const char* what;
    TGoodPoll first;
    const char* says;
};

TEST_F(UsageAcrossStopsTest, ASpanTheAgentCannotVouchForIsAGapAndShownAsOne)
{
    const int64_t t = localNoon(2026, 3, 10);
    const int64_t back = t + 30 + 3600;
    const TGapCase cases[] = {
        {"uptime went back", {kKey, back, 9000, 600, 64, 500, 7, "eth0"}, "the agent restarted"},
        {"engine boots went up",
         {kKey, back, 9000, 600, 64, 103000 + 360000, 8, "eth0"},
         "the agent restarted"},
        {"engine replaced: boots went down",
         {kKey, back, 9000, 600, 64, 103000 + 360000, 6, "eth0"},
         "the agent restarted"},
        {"interface renamed",
         {kKey, back, 9000, 600, 64, 103000 + 360000, 7, "eth1"},
         "the interface changed"},
        {"32-bit counters now",
         {kKey, back, 9000, 600, 32, 103000 + 360000, 7, "eth0"},
         "the interface changed"},
    };
    for (const TGapCase& c : cases) {
        TearDown();
        SetUp();
        runBefore(t);
        runAfter(c.first);
        auto db = TUsageDatabase::openForReading(dbPath());
        EXPECT_EQ(db->total(kKey, 20260310, 20260311).down, 1000u + 100u) << c.what;
        EXPECT_EQ(db->closedTotal(kKey, 20260310, 20260311).down, 0u) << c.what;
        const auto gaps = db->gaps(kKey, t, back + 60);
        ASSERT_EQ(gaps.size(), 1u) << c.what;
        EXPECT_EQ(gaps[0].from, t + 30) << c.what;
        EXPECT_EQ(gaps[0].to, back) << c.what;
        const std::string out = report(back + 120);
        EXPECT_NE(out.find("Not counted (gap): 2026-03-10 12:00 to 2026-03-10 13:00, " +
                           std::string(c.says)),
                  std::string::npos)
            << c.what << "\n"
            << out;
        EXPECT_EQ(out.find("Counted while closed"), std::string::npos) << c.what;
    }
}

TEST_F(UsageAcrossStopsTest, TheQuotaFollowsTheFullTotals)
{
    const int64_t t = localNoon(2026, 3, 10);
    runBefore(t);
    // 0.9 GB while closed on a 1 GB quota: the 80 % notice is due.
    const std::vector<std::string> notices =
        runAfter({kKey, t + 3630, 900006000, 510, 64, 103000 + 360000, 7, "eth0"},
                 {1, 1, TQuotaKind::Download});
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "Router has used 80 % of its monthly quota (0.90 of 1 GB).");
}

TEST_F(UsageAcrossStopsTest, AHistoryWrittenBeforeReadsAndWritesOn)
{
    // The tables as histories held them before readings were kept.
    std::filesystem::create_directories(std::filesystem::path(dbPath()).parent_path());
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(dbPath().c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "PRAGMA journal_mode=WAL;"
                           "CREATE TABLE sensor(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE, "
                           "name TEXT NOT NULL DEFAULT '');"
                           "CREATE TABLE minute(sensor INTEGER NOT NULL, minute INTEGER NOT NULL, "
                           "down INTEGER NOT NULL, up INTEGER NOT NULL, PRIMARY KEY(sensor, "
                           "minute)) WITHOUT ROWID;"
                           "CREATE TABLE hour(sensor INTEGER NOT NULL, hour INTEGER NOT NULL, "
                           "down INTEGER NOT NULL, up INTEGER NOT NULL, PRIMARY KEY(sensor, "
                           "hour)) WITHOUT ROWID;"
                           "CREATE TABLE day(sensor INTEGER NOT NULL, day INTEGER NOT NULL, down "
                           "INTEGER NOT NULL, up INTEGER NOT NULL, PRIMARY KEY(sensor, day)) "
                           "WITHOUT ROWID;"
                           "CREATE TABLE notice(sensor INTEGER NOT NULL, period INTEGER NOT NULL, "
                           "level INTEGER NOT NULL, PRIMARY KEY(sensor, period)) WITHOUT ROWID;"
                           "INSERT INTO sensor(key, name) VALUES('10.0.0.1#2', 'Router');"
                           "INSERT INTO day VALUES(1, 20260310, 4242, 42);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    const int64_t t = localNoon(2026, 3, 10);
    {
        auto old = TUsageDatabase::openForReading(dbPath());
        EXPECT_EQ(old->total(kKey, 20260310, 20260311).down, 4242u);
        EXPECT_EQ(old->closedTotal(kKey, 20260310, 20260311).down, 0u);
        EXPECT_TRUE(old->gaps(kKey, t - 86400, t + 86400).empty());
        EXPECT_TRUE(old->keptSamples().empty());
    }
    const std::string before = report(t + 3600);
    EXPECT_NE(before.find("(4242 octets)"), std::string::npos) << before;
    EXPECT_EQ(before.find("closed"), std::string::npos) << before;
    // The first run that writes it adds the new tables and keeps every row.
    runBefore(t);
    runAfter({kKey, t + 630, 8000, 520, 64, 103000 + 60000, 7, "eth0"});
    auto db = TUsageDatabase::openForReading(dbPath());
    EXPECT_EQ(db->total(kKey, 20260310, 20260311).down, 4242u + 1000u + 2000u + 100u);
    EXPECT_EQ(db->closedTotal(kKey, 20260310, 20260311).down, 2000u);
}

} // namespace
