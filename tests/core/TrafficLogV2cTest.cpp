// The log's own reads of SNMPv2c sensors, against an agent in memory.

#include "TrafficLog.h"

#include "FakeTrafficLogIO.h"
#include "ScriptedV2cAgent.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <set>

namespace {

using namespace TrafficLog;

constexpr uint64_t kTop64 = std::numeric_limits<uint64_t>::max();
constexpr const char* kV2cHost = "127.0.0.1";
constexpr const char* kV1Host = "127.0.0.2";

// Version 1 reads answered by the script, SNMPv2c requests by the agent.
class V2cLogIO : public FakeTrafficLogIO
{
public:
    ScriptedV2cAgent agent;

    V2cLogIO() { agent.interfaces[4] = {"wan", 1000, 2000, true}; }

    TReadReply read(const TReadRequest& request) override
    {
        return request.version == 0 ? FakeTrafficLogIO::read(request) : agent.read(request);
    }

    // What the version 1 sensor's agent answers.
    void answerV1(const std::string& upTime, const std::string& down, const std::string& up)
    {
        answer(kV1Host, SensorPoll::kUpTimeOid, upTime);
        answer(kV1Host, "1.3.6.1.2.1.2.2.1.10.1", down);
        answer(kV1Host, "1.3.6.1.2.1.2.2.1.16.1", up);
    }
};

TSensorRecord activeSensor(const char* name, const char* host)
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostName = name;
    sensor.HostIP = host;
    sensor.Community = "public";
    return sensor;
}

TSensorRecord v2cSensor()
{
    TSensorRecord sensor = activeSensor("core", kV2cHost);
    sensor.Sensor = "4";
    sensor.SensorName = "wan";
    sensor.SnmpVersion = TSnmpVersion::V2c;
    SensorPoll::buildCounterOids(sensor);
    return sensor;
}

TSensorRecord v1Sensor()
{
    TSensorRecord sensor = activeSensor("old", kV1Host);
    sensor.DownOID = "1.3.6.1.2.1.2.2.1.10.1";
    sensor.UpOID = "1.3.6.1.2.1.2.2.1.16.1";
    return sensor;
}

TMonitorSettings logSettings(std::vector<TSensorRecord> sensors)
{
    TMonitorSettings settings;
    settings.resizeSensors(int(sensors.size()));
    for (std::size_t i = 0; i < sensors.size(); ++i)
        settings.Sensors[i] = sensors[i];
    settings.EnableLog = true;
    settings.LogType = ltOneFile;
    settings.LogFile = "/logs/Travimetra.log";
    return settings;
}

// A log line without its time stamp.
std::string unstamped(const std::string& line)
{
    return line.substr(line.find(';') + 1);
}

std::vector<std::string> counterRequest(bool highCapacity)
{
    const CounterOids oids = counterOidsFor(4, highCapacity, highCapacity);
    return {SensorPoll::kUpTimeOid, oids.in, oids.out};
}

// The line's rates across the tops of both widths, at 10 Gbit/s and after a
// reset, one request per tick once the width is known, and the poll's own
// previous values left alone.
TEST(TrafficLogV2c, RatesOfTheLogLine)
{
    struct Case
    {
        const char* what;
        bool highCapacity;
        uint64_t firstIn, stepIn;  // the second reading: firstIn + stepIn modulo the width
        int32_t hundredths;        // between the ticks, by the agent's uptime
        const char* rates;         // down;down/1024;up;up/1024
        std::size_t firstRequests; // before the width is known
        int32_t timerToUse = 0;    // 1: the local clock, 30 s between the ticks
    };
    // clang-format off
    const Case cases[] = {
        {"64-bit wrap at 10 Gbit/s", true, kTop64 - 999999999, 37500000000, 3000,
         "1250000000;1220703.1;1024;1.0", 1},
        {"10 Gbit/s", true, 5000000000000, 37500000000, 3000, "1250000000;1220703.1;1024;1.0", 1},
        {"10 Gbit/s, local clock", true, 5000000000000, 37500000000, 3000, "1250000000;1220703.1;1024;1.0", 1, 1},
        {"64-bit counter back: a reset", true, 1ull << 62, kTop64 - (1ull << 62) + 1001, 3000,
         "0;0.0;1024;1.0", 1},
        {"32-bit only agent across its top", false, 0xFFFFFF9C, 200, 100, "200;0.2;30720;30.0", 2},
        {"agent restarted", true, 1000, 500000, -500, "0;0.0;0;0.0", 1},
        {"32-bit agent restarted, local clock", false, 3000000000, 1294968296, -500,
         "0;0.0;0;0.0", 2, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        V2cLogIO io;
        io.agent.interfaces[4] = {"wan", c.firstIn, 7, c.highCapacity};
        TSensorRecord sensor = v2cSensor();
        sensor.TimerToUse = static_cast<TTimerToUse>(c.timerToUse);
        TMonitorSettings settings = logSettings({sensor});
        logTick(settings, io, {});
        EXPECT_EQ(io.agent.takeRequests().size(), c.firstRequests);
        io.ticks += 30000;

        const uint64_t mask = c.highCapacity ? kTop64 : 0xFFFFFFFFull;
        io.agent.interfaces[4].in = (c.firstIn + c.stepIn) & mask;
        io.agent.interfaces[4].out = 7 + 30720;
        io.agent.upTime += static_cast<uint32_t>(c.hundredths);
        logTick(settings, io, {});

        ASSERT_EQ(io.appends.size(), 2u);
        EXPECT_EQ(unstamped(io.appends[0].text), "core;127.0.0.1;0;0.0;0;0.0\n");
        EXPECT_EQ(unstamped(io.appends[1].text), "core;127.0.0.1;" + std::string(c.rates) + "\n");
        const auto requests = io.agent.takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].version, SensorPoll::kSnmpVersion2c);
        EXPECT_EQ(requests[0].oids, counterRequest(c.highCapacity));
        EXPECT_TRUE(io.asked.empty()); // no version 1 read
        EXPECT_FALSE(settings.Sensors[0].GraphSeries.hasBaseline());
    }
}

// A tick whose reading fails writes nothing for that sensor and keeps its
// previous readings, so the next good tick measures over the whole gap, in
// the same width; the other sensors are logged as usual.
TEST(TrafficLogV2c, FailedReadSkipsTheSensor)
{
    const CounterOids hc = counterOidsFor(4, true, true);
    const std::set<std::string> exceptions[] = {{SensorPoll::kUpTimeOid}, {hc.in}, {hc.out}, {}};
    for (const std::set<std::string>& failing : exceptions) {
        const bool silent = failing.empty();
        SCOPED_TRACE(silent ? "silent agent" : *failing.begin());
        V2cLogIO io;
        io.answerV1("100", "10", "10");
        TMonitorSettings settings = logSettings({v2cSensor(), v1Sensor()});
        logTick(settings, io, {});
        const TSensorRecord before = settings.Sensors[0];

        io.agent.exceptions = failing;
        io.agent.silent = silent;
        io.agent.interfaces[4].in += 3000000;
        io.agent.upTime += 3000;
        logTick(settings, io, {});
        ASSERT_EQ(io.appends.size(), 3u);
        EXPECT_EQ(unstamped(io.appends[2].text), "old;127.0.0.2;0;0.0;0;0.0\n");
        const TSensorRecord& kept = settings.Sensors[0];
        EXPECT_EQ(kept.LogSeries.last().down, before.LogSeries.last().down);
        EXPECT_EQ(kept.LogSeries.last().up, before.LogSeries.last().up);
        EXPECT_EQ(kept.LogPrevTime, before.LogPrevTime);

        io.agent.exceptions.clear();
        io.agent.silent = false;
        io.agent.interfaces[4].in += 3000000;
        io.agent.upTime += 3000;
        io.agent.takeRequests();
        logTick(settings, io, {});
        ASSERT_EQ(io.appends.size(), 5u);
        // 6000000 bytes over 60 s.
        EXPECT_EQ(unstamped(io.appends[3].text), "core;127.0.0.1;100000;97.7;0;0.0\n");
        const auto requests = io.agent.takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].oids, counterRequest(true));
    }
}

// Version 1 sensors read exactly as before, one get each, never with the
// SNMPv2c request, whatever their neighbours are.
TEST(TrafficLogV2c, VersionOneReadsUnchanged)
{
    const std::string up = std::string(kV1Host) + " " + SensorPoll::kUpTimeOid;
    const std::string down = std::string(kV1Host) + " 1.3.6.1.2.1.2.2.1.10.1";
    const std::string out = std::string(kV1Host) + " 1.3.6.1.2.1.2.2.1.16.1";
    const std::vector<std::string> askedPerTick[] = {{up, down, out}, {down, out}}; // TimerToUse
    for (int32_t timerToUse = 0; timerToUse < 2; ++timerToUse) {
        SCOPED_TRACE(timerToUse);
        V2cLogIO io;
        io.answerV1("100", "1000", "1000");
        TSensorRecord old = v1Sensor();
        old.TimerToUse = static_cast<TTimerToUse>(timerToUse);
        TMonitorSettings settings = logSettings({old, v2cSensor()});
        io.ticks = 5000;
        logTick(settings, io, {});
        EXPECT_EQ(io.asked, askedPerTick[timerToUse]);
        io.asked.clear();

        // 102400 bytes in 10 s down; up went back: 0.
        io.answerV1("1100", "103400", "999");
        io.ticks = 15000;
        logTick(settings, io, {});
        EXPECT_EQ(io.asked, askedPerTick[timerToUse]);
        ASSERT_EQ(io.appends.size(), 4u);
        EXPECT_EQ(unstamped(io.appends[2].text), "old;127.0.0.2;10240;10.0;0;0.0\n");
        for (const TReadRequest& request : io.agent.takeRequests())
            EXPECT_EQ(request.host, kV2cHost);
    }
}

// The log reads the counters its poll chose.
TEST(TrafficLogV2c, CountersThePollChose)
{
    for (const bool highCapacity : {false, true}) {
        SCOPED_TRACE(highCapacity);
        V2cLogIO io;
        TSensorRecord sensor = v2cSensor();
        sensor.CountersFor = SensorPoll::countersKey(sensor);
        sensor.HighCapacity = highCapacity;
        TMonitorSettings settings = logSettings({sensor});
        logTick(settings, io, {});
        const auto requests = io.agent.takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].oids, counterRequest(highCapacity));
        EXPECT_EQ(settings.Sensors[0].LogSeries.last().width == CounterWidth::Bits64, highCapacity);
    }
}

// An SNMPv3 sensor's line comes from version-3 requests as its user, like
// an SNMPv2c one's; a refused tick writes nothing and keeps the baseline.
TEST(TrafficLogV2c, SnmpV3SensorLogsLikeV2c)
{
    V2cLogIO io;
    TSensorRecord sensor = v2cSensor();
    sensor.SnmpVersion = TSnmpVersion::V3;
    sensor.V3 = {"monitor",     SecurityLevel::AuthNoPriv, AuthProtocol::SHA1,
                 "authSecret1", PrivProtocol::None,        ""};
    TMonitorSettings settings = logSettings({sensor});
    logTick(settings, io, {});
    io.agent.refusal = "Unknown user: the agent has no SNMPv3 user \"monitor\"";
    io.agent.interfaces[4].in += 1024 * 30;
    io.agent.upTime += 3000;
    logTick(settings, io, {});
    io.agent.refusal.clear();
    io.agent.interfaces[4].in += 1024 * 30;
    io.agent.upTime += 3000;
    logTick(settings, io, {});

    ASSERT_EQ(io.appends.size(), 2u);
    EXPECT_EQ(unstamped(io.appends[1].text), "core;127.0.0.1;1024;1.0;0;0.0\n");
    const auto requests = io.agent.takeRequests();
    ASSERT_EQ(requests.size(), 3u);
    for (const TReadRequest& request : requests) {
        EXPECT_EQ(request.version, SensorPoll::kSnmpVersion3);
        EXPECT_EQ(request.v3.UserName, "monitor");
        EXPECT_EQ(request.v3.AuthPassword, "authSecret1");
        EXPECT_EQ(request.oids, counterRequest(true));
    }
    EXPECT_TRUE(io.asked.empty());
}

// A detached tick's baseline comes back to the model unless the sensor was
// edited meanwhile; a version switch starts the log afresh.
TEST(TrafficLogV2c, KeepLoggedBaseline)
{
    struct Case
    {
        const char* what;
        std::function<void(TSensorRecord&)> edit;
        bool kept;
    };
    const Case cases[] = {
        {"untouched", [](TSensorRecord&) {}, true},
        {"switched to version 1", [](TSensorRecord& s) { s.SnmpVersion = TSnmpVersion::V1; },
         false},
        {"other interface", [](TSensorRecord& s) { s.DownOID = "1.3.6.1.2.1.2.2.1.10.5"; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        V2cLogIO io;
        TMonitorSettings model = logSettings({v2cSensor()});
        const TDetachedTick tick = logDetached(detachedCopy(model), io, {});
        ASSERT_TRUE(tick.report.empty());
        c.edit(model.Sensors[0]);
        keepLogged(model, tick.settings);
        EXPECT_EQ(model.Sensors[0].LogSeries.hasBaseline(), c.kept);
        EXPECT_EQ(model.Sensors[0].LogSeries.last().down, c.kept ? 1000u : 0u);
        EXPECT_EQ(model.Sensors[0].LogSeries.last().up, c.kept ? 2000u : 0u);
    }
}

} // namespace

namespace {

// The log steps from the poll's choice of counters: once the poll followed
// the interface to a new number (with or without an agent restart), the
// next line is a new baseline, never a step from the old interface's
// counters; a counter that jumps further than any interface could carry is
// no traffic either.
TEST(TrafficLogV2c, TheLogStartsAfreshWithThePollsRebindAndSkipsJumps)
{
    struct Case
    {
        const char* what;
        bool restart;  // the agent's uptime goes back with the move
        bool moved;    // the interface comes back under another number
        uint64_t jump; // added to the counter before the second tick
        const char* second;
    };
    const Case cases[] = {
        {"moved without a restart", false, true, 0, "core;127.0.0.1;0;0.0;0;0.0\n"},
        {"moved with a restart", true, true, 0, "core;127.0.0.1;0;0.0;0;0.0\n"},
        {"Counter64 jump of 2^60", false, false, 1ull << 60, "core;127.0.0.1;0;0.0;0;0.0\n"},
        {"neither", false, false, 0, "core;127.0.0.1;1024;1.0;0;0.0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        V2cLogIO io;
        // 32-bit counters only, as in the rebind's worst case; 64-bit ones for
        // the jump, which a 32-bit counter would not even show.
        const bool wide = c.jump != 0;
        io.agent.interfaces[4] = {"wan", 5'000'000'000ull, 2000, wide};
        TMonitorSettings settings = logSettings({v2cSensor()});
        TSensorRecord& sensor = settings.Sensors[0];
        SensorPoll::pollSensor(sensor, io.agent);
        logTick(settings, io, {}); // the log's baseline on interface 4

        if (c.moved) {
            // Renumbered with lower counters: a step back, or a step of
            // nearly 2^32 read as unsigned 32-bit numbers.
            io.agent.interfaces.erase(4);
            io.agent.interfaces[9] = {"wan", 30'000, 100, wide};
        }
        if (c.restart)
            io.agent.upTime = 500;
        else
            io.agent.upTime += 3000;
        for (auto& [index, interface] : io.agent.interfaces)
            interface.in += 1024 * 30 + c.jump;
        const SensorPoll::TPollResult polled = SensorPoll::pollSensor(sensor, io.agent);
        ASSERT_TRUE(polled.replied);
        EXPECT_EQ(sensor.Sensor, c.moved ? "9" : "4");
        logTick(settings, io, {});

        io.agent.upTime += 3000;
        for (auto& [index, interface] : io.agent.interfaces)
            interface.in += 1024 * 30;
        logTick(settings, io, {});
        ASSERT_EQ(io.appends.size(), 3u);
        EXPECT_EQ(unstamped(io.appends[1].text), c.second);
        // From the new baseline the log counts again.
        EXPECT_EQ(unstamped(io.appends[2].text), "core;127.0.0.1;1024;1.0;0;0.0\n");
    }
}

} // namespace
