// The traffic log to a real syslog server: rsyslogd started by the test.

#include "MainFormFixture.h"
#include "RsyslogReceiver.h"
#include "core/FakeSensorNetwork.h"

#include "PeerRequirement.h"

namespace {

constexpr const char* kSyslogAddress = "127.0.0.72";

TEST_F(MainFormFixture, SyslogGetsOneNewsInfoMessagePerActiveSensorAndTick)
{
    RsyslogReceiver receiver(kSyslogAddress);
    REQUIRE_PEER(receiver.failure().empty(), receiver.failure());

    auto net = std::make_shared<FakeSensorNetwork>();
    net->m_ticks = 1000;
    net->m_tickStep = 10000;
    net->answer("1.3.6.1.2.1.2.2.1.10.1", "2048");
    net->answer("1.3.6.1.2.1.2.2.1.16.1", "4096");
    TMonitorSettings s = typicalSettings();
    TSensorRecord first = configuredSensor("10.0.0.1", "aux-first");
    first.TimerToUse = TTimerToUse::LocalTickCount;
    TSensorRecord idle = configuredSensor("10.0.0.2", "aux-idle");
    idle.Active = false;
    TSensorRecord second = configuredSensor("10.0.0.3", "aux-second");
    second.TimerToUse = TTimerToUse::LocalTickCount;
    s.Sensors = {first, idle, second};
    s.EnableLog = true;
    s.LogType = TLogType::Syslog;
    s.LogTime = 30;
    s.SysLogServer = kSyslogAddress;
    seedStore(s);
    auto form = makeForm(net);

    form->LogTimerTimer();

    form->networkJobs().settle();
    form->LogTimerTimer();
    form->networkJobs().settle();

    const auto lines = receiver.waitForLines("aux-", 4, 5000);
    ASSERT_EQ(lines.size(), 4u);
    // Give a stray fifth message time to arrive.
    EXPECT_EQ(receiver.waitForLines("aux-", 5, 500).size(), 4u);
    int firsts = 0;
    int seconds = 0;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("news|info|", 0), 0u) << line;
        EXPECT_NE(line.find(" [eth0@10.0.0."), std::string::npos) << line;
        EXPECT_NE(line.find("] 0.0 Up: 0.0"), std::string::npos) << line;
        firsts += line.find("aux-first [eth0@10.0.0.1]") != std::string::npos;
        seconds += line.find("aux-second [eth0@10.0.0.3]") != std::string::npos;
    }
    EXPECT_EQ(firsts, 2);
    EXPECT_EQ(seconds, 2);
}

} // namespace
