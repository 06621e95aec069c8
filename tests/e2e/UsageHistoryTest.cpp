// The usage history of the installed program: two login sessions of one user
// record the traffic once, and a wall clock set a month ahead or back books
// it under the day it happened.
#include "E2EFixture.h"
#include "LoopbackTraffic.h"
#include "Waiting.h"
#include "usage/UsageCsv.h"

#include "CalendarDay.h"
#include "UsageDatabase.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr double kRate = 300'000; // octets a second, well inside the sensor's speed

class UsageHistory : public E2EFixture
{
protected:
    std::string historyPath() const { return home() + "/.local/share/Travimetra/usage.sqlite"; }

    // Download octets of the only sensor today, as the report prints them.
    std::optional<unsigned long long> reportedToday()
    {
        const std::string command =
            "env -i HOME=" + home() + " " + TravimetraProcess::executable() + " --usage --csv 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        char buffer[512];
        while (pipe && fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        if (!pipe || pclose(pipe) != 0)
            return std::nullopt;
        const std::vector<TUsageCsvRow> rows = usageCsvRows(output);
        if (rows.empty())
            return std::nullopt;
        return rows.front().down;
    }

    static unsigned long long sent(const LoopbackTraffic& traffic)
    {
        return static_cast<unsigned long long>(traffic.datagramsSent()) *
               LoopbackTraffic::kWireBytes;
    }
};

TEST_F(UsageHistory, TwoLoginSessionsRecordTheTrafficOnce)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(1, lo).write(home()));
    auto first = launch();
    ASSERT_TRUE(mainWindow(*first, 10s)) << first->output();
    // Another login session of the same user: its own runtime folder, the
    // same home and data folder.
    const std::string otherRuntime = home() + "/.runtime-2";
    ::mkdir(otherRuntime.c_str(), 0700);
    auto second = launch({"XDG_RUNTIME_DIR=" + otherRuntime});
    ASSERT_TRUE(mainWindow(*second, 10s)) << second->output();
    // The lock beside the history names the one that records.
    std::string holder;
    ASSERT_TRUE(waitUntil(
        [&] {
            std::ifstream in(historyPath() + ".lock");
            std::getline(in, holder);
            return !holder.empty();
        },
        5s));
    EXPECT_EQ(holder.rfind("process " + std::to_string(first->pid()) + " ", 0), 0u) << holder;

    LoopbackTraffic traffic(kTrafficFrom, kTrafficTo, 9171);
    ASSERT_TRUE(traffic.start([](double) { return kRate; }, 10s));
    std::this_thread::sleep_for(12s);
    traffic.stop();
    EXPECT_EQ(second->endWith(SIGTERM, 10s), std::optional<int>(0));
    EXPECT_EQ(first->endWith(SIGTERM, 10s), std::optional<int>(0));

    const auto down = reportedToday();
    ASSERT_TRUE(down);
    // Counted once: about what was sent (the agent's answers add a little,
    // the first and last second of the stream may fall outside the polls);
    // counted by both it would be twice that.
    EXPECT_GT(*down, sent(traffic) * 6 / 10) << "sent " << sent(traffic);
    EXPECT_LT(*down, sent(traffic) * 14 / 10) << "sent " << sent(traffic);
}

// The program's wall clock is moved by libfaketime while it runs; its steady
// clock is not. The program ends while its clock is a month ahead, so that
// the write at the end is dated by what it believes.
TEST_F(UsageHistory, AClockSetAMonthBackAndAheadBooksTheTrafficToday)
{
    const char* const library = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
    if (::access(library, R_OK) != 0)
        GTEST_SKIP() << "libfaketime is not installed (Debian package faketime)";
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(1, lo).write(home()));
    // Two days ago, this sensor's minute: younger than a week, kept.
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    const int64_t earlier = (now - 2 * 86400) / 60 * 60;
    {
        std::string notice;
        auto db = TUsageDatabase::openForWriting(historyPath(), notice);
        TUsageBatch batch;
        batch[{"earlier#1", earlier}] = {{777, 77}, TCalendarDay::localDayOf(earlier).key()};
        db->write(batch, {}, now);
    }
    const std::string offset = home() + "/faketime";
    std::ofstream(offset) << "+0\n";
    auto program =
        launch({std::string("LD_PRELOAD=") + library, "FAKETIME_TIMESTAMP_FILE=" + offset,
                "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1"});
    ASSERT_TRUE(mainWindow(*program, 10s)) << program->output();
    LoopbackTraffic traffic(kTrafficFrom, kTrafficTo, 9172);
    ASSERT_TRUE(traffic.start([](double) { return kRate; }, 18s));
    std::this_thread::sleep_for(4s);
    std::ofstream(offset, std::ios::trunc) << "-30d\n";
    std::this_thread::sleep_for(7s);
    std::ofstream(offset, std::ios::trunc) << "+30d\n";
    std::this_thread::sleep_for(9s);
    traffic.stop();
    ASSERT_TRUE(program->running()) << program->output();
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0)) << program->output();

    const auto down = reportedToday();
    ASSERT_TRUE(down);
    EXPECT_GT(*down, sent(traffic) * 6 / 10) << "sent " << sent(traffic);
    EXPECT_LT(*down, sent(traffic) * 14 / 10) << "sent " << sent(traffic);
    auto db = TUsageDatabase::openForReading(historyPath());
    const auto sensors = db->sensors();
    for (const TUsageSensor& s : sensors) {
        const TCalendarDay today = TCalendarDay::localDayOf(now);
        // Nothing a month back or a month ahead.
        EXPECT_TRUE(db->days(s.key, today.plusDays(-40).key(), today.key()).empty() ||
                    s.key == "earlier#1")
            << s.key;
        EXPECT_TRUE(db->days(s.key, today.plusDays(1).key(), today.plusDays(40).key()).empty())
            << s.key;
    }
    EXPECT_EQ(db->minutes("earlier#1", earlier, earlier + 60).size(), 1u)
        << "a minute of two days ago was pruned";
}

} // namespace
