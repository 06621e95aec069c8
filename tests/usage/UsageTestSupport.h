#pragma once

#include "TUsageRecorder.h"
#include "UsagePaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

// Every test gets its own data folder and a fixed time zone, so local days
// are the same wherever the tests run.
class UsageFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/travimetra-usage-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        ASSERT_EQ(usageDatabasePath(), dbPath()); // where the program keeps its history
    }

    void TearDown() override
    {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    std::string dbPath() const
    {
        return (m_root / "data" / "Travimetra" / "usage.sqlite").string();
    }

    std::filesystem::path m_root;
};

// Local noon of a day: far from any day boundary.
inline int64_t localNoon(int year, int month, int day)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = 12;
    parts.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&parts));
}

// Feeds one sensor `octets` down and `octets / 4` up within the minute at
// `at`: a reading at `at` and one 30 s later. The counters run on from the
// last feed, and the agent's uptime follows the wall clock, so only the
// gap rule of the accounting can drop the first reading's difference.
inline void feedMinute(TUsageRecorder& recorder, const std::string& key, int64_t at,
                       uint64_t octets)
{
    static uint64_t down = 1000;
    static uint64_t up = 5000;
    recorder.goodPoll({key, at, down, up, 32, at * 100});
    down += octets;
    up += octets / 4;
    recorder.goodPoll({key, at + 30, down, up, 32, (at + 30) * 100});
}
