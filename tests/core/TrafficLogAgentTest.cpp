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

// Two ticks a row apart, each row's sensor logging into a file of its own:
// the first line a baseline, the second the rates over the step.
TEST_F(TrafficLogAgent, TwoTicksGiveTheRatesOfTheStep)
{
    const struct
    {
        const char* what;
        TTimerToUse timerToUse; // whose clock `clock` is
        uint32_t clock;
        uint32_t step;
        uint32_t firstIn, firstOut, secondIn, secondOut;
        const char* rates; // down;down/1024;up;up/1024
    } rows[] = {
        // clang-format off
        {"thirty seconds by the local clock", TTimerToUse::LocalTickCount, 7000000, 30000, 1000, 500, 1000 + 3072000, 500 + 61440, "102400;100.0;2048;2.0"},
        {"counters and clock past 2^32", TTimerToUse::LocalTickCount, 0xFFFFF000u, 30000, 4294967000u, 4294967295u, 3071704, 30719, "102400;100.0;1024;1.0"},
        {"five minutes by the agent's uptime", TTimerToUse::AgentUpTime, 123456, 30000, 10, 10, 10 + 300 * 102400, 10 + 300 * 512, "102400;100.0;512;0.5"},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TMonitorSettings each = settings;
        each.LogFile = dir.path() + "/" + row.what + ".log";
        each.Sensors[0].TimerToUse = row.timerToUse;
        uint32_t upTime = 0;
        uint32_t& clock = row.timerToUse == TTimerToUse::LocalTickCount ? io.ticks : upTime;
        clock = row.clock;
        agent.setUpTime(upTime);
        agent.setCounters(row.firstIn, row.firstOut);
        logTick(each, io, formats);
        clock += row.step;
        agent.setUpTime(upTime);
        agent.setCounters(row.secondIn, row.secondOut);
        logTick(each, io, formats);

        const auto lines = readLog(each.LogFile);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], (std::vector<std::string>{"11/30/26 18:30:01", "router", kAgentAddress,
                                                      "0", "0.0", "0", "0.0"}));
        ASSERT_EQ(lines[1].size(), 7u);
        EXPECT_EQ(lines[1][3] + ";" + lines[1][4] + ";" + lines[1][5] + ";" + lines[1][6],
                  row.rates);
    }
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

// One file per sensor, named after it, inside the folder: a folder given
// with a separator at its end, a device name with a slash that would climb
// out of it.
TEST_F(TrafficLogAgent, FilePerSensorStaysInItsFolder)
{
    ASSERT_EQ(::mkdir((dir.path() + "/logs").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir.path() + "/escape").c_str(), 0755), 0);
    const struct
    {
        const char* folder;
        const char* hostName;
        const char* file;
        const char* notThere;
    } rows[] = {
        {"/", "router", "/router@127.0.0.71.log", "/Travimetra.log"},
        {"/logs", "../escape/router", "/logs/.._escape_router@127.0.0.71.log",
         "/escape/router@127.0.0.71.log"},
    };
    for (const auto& row : rows) {
        TMonitorSettings each = settings;
        each.LogType = ltFilePerSensor;
        each.LogFolder = dir.path() + row.folder;
        each.Sensors[0].HostName = row.hostName;
        agent.setCounters(1000, 1000);
        io.ticks = 1000;
        logTick(each, io, formats);

        const std::string file = dir.path() + row.file;
        ASSERT_TRUE(exists(file)) << file;
        const auto lines = readLog(file);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0][1], row.hostName);
        EXPECT_FALSE(exists(dir.path() + row.notThere)) << row.notThere;
    }
}

} // namespace
