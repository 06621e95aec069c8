#include "UsageCommandLine.h"
#include "UsageSummary.h"
#include "UsageTestSupport.h"

#include "RegSession.h"
#include "StoredUsageSensors.h"
#include "UsageSensorKey.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

namespace {

class UsageCommandLineTest : public UsageFixture
{
protected:
    void SetUp() override
    {
        UsageFixture::SetUp();
        auto recorder = std::make_unique<TUsageRecorder>(dbPath(), nullptr);
        recorder->setSensors({{"10.0.0.1#2", "Router", {}}, {"10.0.0.9#1", "Modem", {}}});
        // Router: 3 GB on the 20th of last month, 2 GB on the 3rd of this one.
        // Modem: 1.5 GB on the 3rd.
        feedMinute(*recorder, "10.0.0.1#2", localNoon(2026, 10, 20), 1500000000);
        feedMinute(*recorder, "10.0.0.1#2", localNoon(2026, 10, 20) + 3600, 1500000000);
        feedMinute(*recorder, "10.0.0.1#2", localNoon(2026, 11, 3), 2000000000);
        feedMinute(*recorder, "10.0.0.9#1", localNoon(2026, 11, 3), 1500000000);
        recorder->flush(localNoon(2026, 11, 3) + 60);
        recorder.reset(); // one writer at a time
        // Laptop: closed for an hour on the 4th while its agent counted
        // 4,000,000 octets down and 1,000,000 up.
        const int64_t t = localNoon(2026, 11, 4);
        for (const TGoodPoll& first :
             {TGoodPoll{"10.0.0.7#1", t, 1000, 100, 64, 500000, 1, "wlan0"},
              TGoodPoll{"10.0.0.7#1", t + 3630, 4002000, 1000200, 64, 863000, 1, "wlan0"}}) {
            TUsageRecorder run(dbPath(), nullptr);
            run.setSensors({{"10.0.0.7#1", "Laptop", {}}});
            run.goodPoll(first);
            TGoodPoll next = first;
            next.wallTime += 30;
            next.agentUpTime += 3000;
            next.downCounter += 1000;
            next.upCounter += 100;
            run.goodPoll(next);
            run.flush(next.wallTime + 30);
        }
        m_now = localNoon(2026, 11, 10);
    }

    int run(std::vector<const char*> args, const std::vector<TUsageSensorConfig>& sensors = {})
    {
        args.insert(args.begin(), "travimetra");
        std::vector<char*> argv;
        for (const char* a : args)
            argv.push_back(const_cast<char*>(a));
        m_out.str("");
        m_err.str("");
        return UsageCommandLine::run(static_cast<int>(argv.size()), argv.data(), m_out, m_err,
                                     dbPath(), m_now, sensors);
    }

    int64_t m_now = 0;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(UsageCommandLineTest, WantedOnlyWithTheOption)
{
    const char* with[] = {"travimetra", "--csv", "--usage"};
    const char* without[] = {"travimetra", "--csv"};
    EXPECT_TRUE(UsageCommandLine::wanted(3, const_cast<char**>(with)));
    EXPECT_FALSE(UsageCommandLine::wanted(2, const_cast<char**>(without)));
}

struct CsvCase
{
    std::vector<const char*> args;
    std::vector<std::string> lines;
};

TEST_F(UsageCommandLineTest, CsvTotals)
{
    const std::string header = "sensor,key,period_start,period_end,download_octets,upload_octets,"
                               "closed_download_octets,closed_upload_octets";
    const CsvCase cases[] = {
        {{"--usage", "--csv"},
         {header, "\"Router\",\"10.0.0.1#2\",2026-11-01,2026-11-30,2000000000,500000000,0,0",
          "\"Modem\",\"10.0.0.9#1\",2026-11-01,2026-11-30,1500000000,375000000,0,0",
          "\"Laptop\",\"10.0.0.7#1\",2026-11-01,2026-11-30,4002000,1000200,4000000,1000000"}},
        {{"--usage", "--csv", "--period", "last"},
         {header, "\"Router\",\"10.0.0.1#2\",2026-10-01,2026-10-31,3000000000,750000000,0,0",
          "\"Modem\",\"10.0.0.9#1\",2026-10-01,2026-10-31,0,0,0,0",
          "\"Laptop\",\"10.0.0.7#1\",2026-10-01,2026-10-31,0,0,0,0"}},
        {{"--usage", "--sensor", "modem", "--csv"},
         {header, "\"Modem\",\"10.0.0.9#1\",2026-11-01,2026-11-30,1500000000,375000000,0,0"}},
        {{"--usage", "--sensor", "10.0.0.1#2", "--period", "current", "--csv"},
         {header, "\"Router\",\"10.0.0.1#2\",2026-11-01,2026-11-30,2000000000,500000000,0,0"}},
        {{"--usage", "--csv", "--sensor", "Laptop"},
         {header,
          "\"Laptop\",\"10.0.0.7#1\",2026-11-01,2026-11-30,4002000,1000200,4000000,1000000"}},
    };
    for (const CsvCase& c : cases) {
        ASSERT_EQ(run(c.args), 0) << m_err.str();
        std::string expected;
        for (const std::string& line : c.lines)
            expected += line + "\n";
        EXPECT_EQ(m_out.str(), expected);
    }
}

TEST_F(UsageCommandLineTest, StoredPeriodStartDaysChooseThePeriod)
{
    // The Router's period starts on the 15th: the 20th of October and the
    // 3rd of November lie in one period, 15 October to 14 November.
    const std::vector<TUsageSensorConfig> stored = {{"10.0.0.1#2", "Router", {15, 0, {}}}};
    ASSERT_EQ(run({"--usage", "--csv", "--sensor", "Router"}, stored), 0) << m_err.str();
    EXPECT_NE(m_out.str().find("2026-10-15,2026-11-14,5000000000,1250000000"), std::string::npos)
        << m_out.str();
}

TEST_F(UsageCommandLineTest, TextTotals)
{
    const std::vector<TUsageSensorConfig> stored = {
        {"10.0.0.1#2", "Router", {1, 10, TQuotaKind::Download}}};
    ASSERT_EQ(run({"--usage", "--sensor", "Router"}, stored), 0) << m_err.str();
    const std::string out = m_out.str();
    EXPECT_NE(out.find("Router (10.0.0.1#2), current period 2026-11-01 to 2026-11-30"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Download: " + UsageSummary::octetsText(2000000000) +
                       " (2000000000 "
                       "octets)"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Quota:    20 % of 10 GB"), std::string::npos) << out;
}

struct FailCase
{
    std::vector<const char*> args;
    int status;
    const char* says;
};

TEST_F(UsageCommandLineTest, Failures)
{
    const FailCase cases[] = {
        {{"--usage", "--period", "next"}, 2, "--period takes current or last"},
        {{"--usage", "--period"}, 2, "--period needs a value"},
        {{"--usage", "--sensor"}, 2, "--sensor needs a value"},
        {{"--usage", "--verbose"}, 2, "unknown argument --verbose"},
        {{"--usage", "--sensor", "Nothing"}, 1, "no sensor named Nothing"},
    };
    for (const FailCase& c : cases) {
        EXPECT_EQ(run(c.args), c.status) << c.says;
        EXPECT_NE(m_err.str().find(c.says), std::string::npos) << m_err.str();
        EXPECT_TRUE(m_out.str().empty());
    }
    std::filesystem::remove(dbPath());
    std::filesystem::remove(dbPath() + "-wal");
    EXPECT_EQ(run({"--usage"}), 1);
    EXPECT_NE(m_err.str().find("No usage history"), std::string::npos) << m_err.str();
}

TEST_F(UsageCommandLineTest, NamesAreQuotedSoASpreadsheetRunsNothing)
{
    EXPECT_EQ(UsageSummary::csvField("=HYPERLINK(\"x\")"), "\"'=HYPERLINK(\"\"x\"\")\"");
    EXPECT_EQ(UsageSummary::csvField("a,b"), "\"a,b\"");
}

TEST_F(UsageCommandLineTest, SensorsComeFromTheStoreWithoutWritingIt)
{
    {
        TRegSession session;
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "NumberOfHosts", 2, rdInteger);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "HostName", std::string("Router"),
                      rdString);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "HostIP", std::string("10.0.0.1"),
                      rdString);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "Sensor", std::string("2"), rdString);
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "UsagePeriodStart", 15, rdInteger);
        // Sensor 1 has no address: it cannot have a history.
        WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(1), "HostName", std::string("Half"),
                      rdString);
        session.commit();
    }
    const auto storeFile = m_root / "config" / "Quorvane" / "Travimetra.reg";
    const auto before = std::filesystem::last_write_time(storeFile);
    const auto sensors = storedUsageSensors();
    ASSERT_EQ(sensors.size(), 1u);
    EXPECT_EQ(sensors[0].key, usageSensorKey("10.0.0.1", "2"));
    EXPECT_EQ(sensors[0].name, "Router");
    EXPECT_EQ(sensors[0].settings.PeriodStartDay, 15);
    EXPECT_EQ(std::filesystem::last_write_time(storeFile), before);
}

// The report keys each sensor's history as the program records it: a
// version 1 sensor as it always was, a swapped or SNMPv2c/SNMPv3 one apart.
TEST_F(UsageCommandLineTest, StoredSensorsAreKeyedAsThePollRecordsThem)
{
    struct Row
    {
        int swapped; // -1: not stored
        int version; // -1: not stored
        std::string key;
    };
    const Row rows[] = {
        {-1, -1, "10.0.0.1#2"},          {0, 0, "10.0.0.1#2"},
        {1, 0, "10.0.0.1#2#swapped"},    {0, 1, "10.0.0.1#2#v2c"},
        {1, 3, "10.0.0.1#2#swapped#v3"},
    };
    {
        TRegSession session;
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "NumberOfHosts", int32_t(std::size(rows)),
                      rdInteger);
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            const std::string key = sensorKeyPath(i);
            WriteRegValue(HKEY_CURRENT_USER, key, "HostIP", std::string("10.0.0.1"), rdString);
            WriteRegValue(HKEY_CURRENT_USER, key, "Sensor", std::string("2"), rdString);
            if (rows[i].swapped >= 0)
                WriteRegValue(HKEY_CURRENT_USER, key, "SwapedInOut", rows[i].swapped != 0,
                              rdBinary);
            if (rows[i].version >= 0)
                WriteRegValue(HKEY_CURRENT_USER, key, "SnmpVersion", rows[i].version, rdInteger);
        }
        session.commit();
    }
    const auto sensors = storedUsageSensors();
    ASSERT_EQ(sensors.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(sensors[i].key, rows[i].key) << i;
}

TEST(UsageSensorKeyTest, IdentityIgnoresCaseOfTheHostAndKeepsTheIndex)
{
    EXPECT_EQ(usageSensorKey("Router.LAN", "3"), usageSensorKey("router.lan", "3"));
    EXPECT_NE(usageSensorKey("router.lan", "3"), usageSensorKey("router.lan", "4"));
    EXPECT_NE(usageSensorKey("10.0.0.1", "13"), usageSensorKey("10.0.0.11", "3"));
}

} // namespace
