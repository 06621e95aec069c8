// The log against an agent of the tests' own over real SNMP, with the local
// clock simulated, so that exact rates can be checked.

#include "TrafficLog.h"

#include "CounterAgent.h"
#include "LogFileAppend.h"
#include "PeerRequirement.h"
#include "SNMPRead.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

using namespace TrafficLog;

constexpr const char* kAgentAddress = "127.0.0.71";

// Real SNMP reads and files; simulated clock and calendar.
class AgentLogIO : public ITrafficLogIO
{
public:
    uint32_t ticks = 0;

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        return SNMPReadValue(oid, community, host, value);
    }
    uint32_t tickCount() override { return ticks; }
    TLocalDateTime localNow() override
    {
        TLocalDateTime when;
        when.time.tm_year = 126;
        when.time.tm_mon = 10;
        when.time.tm_mday = 30;
        when.time.tm_hour = 18;
        when.time.tm_min = 30;
        when.time.tm_sec = 1;
        return when;
    }
    void appendToFile(const std::string& path, const std::string& text) override
    {
        appendToLogFile(path, text);
    }
    bool sendSyslog(const std::string&, int, int, const std::string&) override { return false; }
};

std::vector<std::vector<std::string>> readLog(const std::string& path)
{
    std::vector<std::vector<std::string>> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::string::size_type start = 0;
        for (;;) {
            const auto end = line.find(';', start);
            fields.push_back(line.substr(start, end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        lines.push_back(fields);
    }
    return lines;
}

bool exists(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0;
}

class TrafficLogAgent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_PEER(agent.start(), agent.error());
        settings.resizeSensors(1);
        TSensorRecord& s = settings.Sensors[0];
        s.Active = true;
        s.HostName = "router";
        s.HostIP = kAgentAddress;
        s.Community = "vandor";
        s.SensorName = "eth0";
        s.DownOID = "1.3.6.1.2.1.2.2.1.10.1";
        s.UpOID = "1.3.6.1.2.1.2.2.1.16.1";
        s.TimerToUse = TTimerToUse::LocalTickCount;
        settings.EnableLog = true;
        settings.LogType = ltOneFile;
        settings.LogFile = dir.path() + "/Travimetra.log";
        settings.LogFolder = dir.path();
    }

    CounterAgent agent{kAgentAddress};
    TempDirectory dir;
    TMonitorSettings settings;
    AgentLogIO io;
    TLocaleFormats formats; // the C library's own
};

TEST_F(TrafficLogAgent, TwoTicksThirtySecondsApart)
{
    agent.setCounters(1000, 500);
    io.ticks = 7000000;
    logTick(settings, io, formats);
    agent.setCounters(1000 + 3072000, 500 + 61440);
    io.ticks += 30000;
    logTick(settings, io, formats);

    const auto lines = readLog(settings.LogFile);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (std::vector<std::string>{"11/30/26 18:30:01", "router", kAgentAddress, "0",
                                                  "0.0", "0", "0.0"}));
    ASSERT_EQ(lines[1].size(), 7u);
    EXPECT_EQ(lines[1][3], "102400");
    EXPECT_EQ(lines[1][4], "100.0");
    EXPECT_EQ(lines[1][5], "2048");
    EXPECT_EQ(lines[1][6], "2.0");
}

TEST_F(TrafficLogAgent, CounterThatWrappedPastTwoToTheThirtyTwo)
{
    agent.setCounters(4294967000u, 4294967295u);
    io.ticks = 0xFFFFF000u; // the clock wraps too
    logTick(settings, io, formats);
    agent.setCounters(3071704u, 30719u);
    io.ticks += 30000;
    logTick(settings, io, formats);

    const auto lines = readLog(settings.LogFile);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1][3], "102400");
    EXPECT_EQ(lines[1][4], "100.0");
    EXPECT_EQ(lines[1][5], "1024");
    EXPECT_EQ(lines[1][6], "1.0");
}

TEST_F(TrafficLogAgent, FiveMinutePeriodWithTheAgentsUptime)
{
    settings.LogSecMinType = TLogSecMinType::Minutes;
    settings.LogTime = 5;
    const uint32_t period = logPeriod(settings.LogTime, settings.LogSecMinType);
    EXPECT_EQ(period, 300000u);

    settings.Sensors[0].TimerToUse = TTimerToUse::AgentUpTime;
    agent.setUpTime(123456);
    agent.setCounters(10, 10);
    logTick(settings, io, formats);
    // One period later by the agent's own clock, in hundredths.
    agent.setUpTime(123456 + period / 10);
    agent.setCounters(10 + 300 * 102400, 10 + 300 * 512);
    logTick(settings, io, formats);

    const auto lines = readLog(settings.LogFile);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1][3], "102400");
    EXPECT_EQ(lines[1][5], "512");
    EXPECT_EQ(lines[1][6], "0.5");
}

TEST_F(TrafficLogAgent, InactiveSensorWritesNothingAndKeepsItsReadings)
{
    settings.resizeSensors(2);
    TSensorRecord& idle = settings.Sensors[1];
    idle = settings.Sensors[0];
    idle.Active = false;
    idle.HostName = "idle";
    idle.DownOID = "1.3.6.1.2.1.2.2.1.10.2";
    idle.UpOID = "1.3.6.1.2.1.2.2.1.16.2";
    idle.LogPrevDownCount = 41;
    idle.LogPrevUpCount = 42;
    idle.LogPrevTime = 43;
    agent.setCounters(1000, 1000);
    agent.setCounters(5, 5, "2");
    io.ticks = 1000;
    logTick(settings, io, formats);
    io.ticks = 2000;
    logTick(settings, io, formats);

    const auto lines = readLog(settings.LogFile);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0][1], "router");
    EXPECT_EQ(lines[1][1], "router");
    EXPECT_EQ(agent.asked("1.3.6.1.2.1.2.2.1.10.2"), 0);
    EXPECT_EQ(agent.asked("1.3.6.1.2.1.2.2.1.10.1"), 2);
    EXPECT_EQ(idle.LogPrevDownCount, 41);
    EXPECT_EQ(idle.LogPrevUpCount, 42);
    EXPECT_EQ(idle.LogPrevTime, 43);
}

TEST_F(TrafficLogAgent, FolderPathEndingInASeparator)
{
    settings.LogType = ltFilePerSensor;
    settings.LogFolder = dir.path() + "/";
    agent.setCounters(1000, 1000);
    io.ticks = 1000;
    logTick(settings, io, formats);

    const std::string file = dir.path() + "/router@127.0.0.71.log";
    ASSERT_TRUE(exists(file));
    EXPECT_EQ(readLog(file).size(), 1u);
    EXPECT_FALSE(exists(settings.LogFile));
}

TEST_F(TrafficLogAgent, DeviceNameWithASlashStaysInTheFolder)
{
    settings.LogType = ltFilePerSensor;
    const std::string folder = dir.path() + "/logs";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    settings.LogFolder = folder;
    settings.Sensors[0].HostName = "../escape/router";
    ASSERT_EQ(::mkdir((dir.path() + "/escape").c_str(), 0755), 0);
    agent.setCounters(1000, 1000);
    io.ticks = 1000;
    logTick(settings, io, formats);

    const std::string file = folder + "/.._escape_router@127.0.0.71.log";
    ASSERT_TRUE(exists(file));
    const auto lines = readLog(file);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0][1], "../escape/router");
    EXPECT_FALSE(exists(dir.path() + "/escape/router@127.0.0.71.log"));
}

} // namespace
