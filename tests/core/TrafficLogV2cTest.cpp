// The log's own reads of SNMPv2c sensors, against an agent in memory.

#include "TrafficLog.h"

#include "FakeTrafficLogIO.h"
#include "ScriptedV2cAgent.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

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

    TReadReply read(const TReadRequest& request) override { return agent.read(request); }

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
    sensor.SnmpVersion = SensorPoll::kSnmpVersion2c;
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

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = line.find_first_of(";\n", start);
        out.push_back(line.substr(start, end - start));
        if (end == std::string::npos || line[end] == '\n')
            return out;
        start = end + 1;
    }
}

// The fields after the time stamp.
std::vector<std::string> tail(const std::string& line)
{
    const std::vector<std::string> all = fields(line);
    return std::vector<std::string>(all.begin() + 1, all.end());
}

std::vector<std::string> counterRequest(bool highCapacity)
{
    const CounterOids oids = counterOidsFor(4, highCapacity, highCapacity);
    return {SensorPoll::kUpTimeOid, oids.in, oids.out};
}

// The line's rates across the tops of both widths, at 10 Gbit/s, and after a
// reset, with one request per tick once the width is known.
TEST(TrafficLogV2c, RatesOfTheLogLine)
{
    struct Case
    {
        const char* what;
        bool highCapacity;
        uint64_t firstIn, stepIn;       // the second reading is firstIn + stepIn modulo the width
        int32_t hundredths;             // between the ticks, by the agent's uptime
        std::vector<std::string> rates; // down, down/1024, up, up/1024
        std::size_t firstRequests;      // before the width is known
    };
    const Case cases[] = {
        {"64-bit wrap at 10 Gbit/s",
         true,
         kTop64 - 999999999,
         37500000000ull,
         3000,
         {"1250000000", "1220703.1", "1024", "1.0"},
         1},
        {"10 Gbit/s",
         true,
         5000000000000ull,
         37500000000ull,
         3000,
         {"1250000000", "1220703.1", "1024", "1.0"},
         1},
        {"64-bit counter back: a reset",
         true,
         1ull << 62,
         kTop64 - (1ull << 62) + 1001,
         3000,
         {"0", "0.0", "1024", "1.0"},
         1},
        {"32-bit only agent across its top",
         false,
         0xFFFFFF9Cull,
         200,
         100,
         {"200", "0.2", "30720", "30.0"},
         2},
        {"agent restarted", true, 1000, 500000, -500, {"0", "0.0", "0", "0.0"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        V2cLogIO io;
        io.agent.interfaces[4] = {"wan", c.firstIn, 7, c.highCapacity};
        TMonitorSettings settings = logSettings({v2cSensor()});
        logTick(settings, io, {});
        EXPECT_EQ(io.agent.takeRequests().size(), c.firstRequests);

        const uint64_t mask = c.highCapacity ? kTop64 : 0xFFFFFFFFull;
        io.agent.interfaces[4].in = (c.firstIn + c.stepIn) & mask;
        io.agent.interfaces[4].out = 7 + 30720;
        io.agent.upTime += static_cast<uint32_t>(c.hundredths);
        logTick(settings, io, {});

        ASSERT_EQ(io.appends.size(), 2u);
        EXPECT_EQ(tail(io.appends[0].text),
                  (std::vector<std::string>{"core", kV2cHost, "0", "0.0", "0", "0.0"}));
        const std::vector<std::string> second = fields(io.appends[1].text);
        ASSERT_EQ(second.size(), 7u);
        EXPECT_EQ(std::vector<std::string>(second.begin() + 3, second.end()), c.rates);

        const auto requests = io.agent.takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].version, SensorPoll::kSnmpVersion2c);
        EXPECT_EQ(requests[0].host, kV2cHost);
        EXPECT_EQ(requests[0].community, "public");
        EXPECT_EQ(requests[0].oids, counterRequest(c.highCapacity));
        EXPECT_TRUE(io.asked.empty()); // no version 1 read
    }
}

// A tick whose reading fails writes nothing for that sensor and keeps its
// previous readings, so the next good tick measures over the whole gap; the
// other sensors are logged as usual.
TEST(TrafficLogV2c, FailedReadSkipsTheSensor)
{
    const CounterOids hc = counterOidsFor(4, true, true);
    struct Case
    {
        const char* what;
        std::function<void(ScriptedV2cAgent&)> fail;
    };
    const Case cases[] = {
        {"no such object: uptime",
         [](ScriptedV2cAgent& a) { a.exceptions = {SensorPoll::kUpTimeOid}; }},
        {"no such instance: counter in", [&](ScriptedV2cAgent& a) { a.exceptions = {hc.in}; }},
        {"no such instance: counter out", [&](ScriptedV2cAgent& a) { a.exceptions = {hc.out}; }},
        {"silent agent", [](ScriptedV2cAgent& a) { a.silent = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        V2cLogIO io;
        io.answerV1("100", "10", "10");
        TMonitorSettings settings = logSettings({v2cSensor(), v1Sensor()});
        logTick(settings, io, {});
        const TSensorRecord before = settings.Sensors[0];

        c.fail(io.agent);
        io.agent.interfaces[4].in += 3000000;
        io.agent.upTime += 3000;
        logTick(settings, io, {});
        ASSERT_EQ(io.appends.size(), 3u);
        EXPECT_EQ(fields(io.appends[2].text)[1], "old");
        const TSensorRecord& kept = settings.Sensors[0];
        EXPECT_TRUE(kept.LogHaveCounters64);
        EXPECT_EQ(kept.LogPrevDown64, before.LogPrevDown64);
        EXPECT_EQ(kept.LogPrevUp64, before.LogPrevUp64);
        EXPECT_EQ(kept.LogPrevTime, before.LogPrevTime);

        io.agent.exceptions.clear();
        io.agent.silent = false;
        io.agent.interfaces[4].in += 3000000;
        io.agent.upTime += 3000;
        io.agent.takeRequests();
        logTick(settings, io, {});
        ASSERT_EQ(io.appends.size(), 5u);
        EXPECT_EQ(fields(io.appends[3].text)[3], "100000"); // 6000000 bytes over 60 s
        // Still the 64-bit counters in one request: a passing exception does
        // not change the width.
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
    struct Case
    {
        int32_t timerToUse;
        std::vector<std::string> asked; // per tick
    };
    const Case cases[] = {
        {0, {up, down, out}},
        {1, {down, out}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timerToUse);
        V2cLogIO io;
        io.answerV1("100", "1000", "1000");
        TSensorRecord old = v1Sensor();
        old.TimerToUse = c.timerToUse;
        TMonitorSettings settings = logSettings({old, v2cSensor()});
        io.ticks = 5000;
        logTick(settings, io, {});
        EXPECT_EQ(io.asked, c.asked);
        io.asked.clear();

        // 102400 bytes in 10 s down; up went back: 0.
        io.answerV1("1100", "103400", "999");
        io.ticks = 15000;
        logTick(settings, io, {});
        EXPECT_EQ(io.asked, c.asked);
        ASSERT_EQ(io.appends.size(), 4u);
        EXPECT_EQ(tail(io.appends[2].text),
                  (std::vector<std::string>{"old", kV1Host, "10240", "10.0", "0", "0.0"}));
        for (const TReadRequest& request : io.agent.takeRequests())
            EXPECT_EQ(request.host, kV2cHost);
    }
}

// The width the poll chose is the one the log reads; before any choice the
// log probes once and then keeps to its own baseline's width.
TEST(TrafficLogV2c, CountersThePollChose)
{
    struct Case
    {
        const char* what;
        bool pollChose, pollHighCapacity;
        std::vector<std::string> oids;
    };
    const Case cases[] = {
        {"poll chose 32-bit", true, false, counterRequest(false)},
        {"poll chose 64-bit", true, true, counterRequest(true)},
        {"no choice yet", false, false, counterRequest(true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        V2cLogIO io;
        TSensorRecord sensor = v2cSensor();
        if (c.pollChose) {
            sensor.CountersFor = SensorPoll::countersKey(sensor);
            sensor.HighCapacity = c.pollHighCapacity;
        }
        TMonitorSettings settings = logSettings({sensor});
        logTick(settings, io, {});
        const auto requests = io.agent.takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].oids, c.oids);
        EXPECT_EQ(settings.Sensors[0].LogHighCapacity, c.oids == counterRequest(true));
        // The poll's own previous values are left alone.
        EXPECT_FALSE(settings.Sensors[0].HaveCounters64);
        EXPECT_EQ(settings.Sensors[0].PrevDown64, 0u);
    }
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
        {"switched to version 1", [](TSensorRecord& s) { s.SnmpVersion = 0; }, false},
        {"other interface",
         [](TSensorRecord& s) {
             s.Sensor = "5";
             SensorPoll::buildCounterOids(s);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        V2cLogIO io;
        TMonitorSettings model = logSettings({v2cSensor()});
        const TDetachedTick tick = logDetached(detachedCopy(model), io, {});
        ASSERT_TRUE(tick.report.empty());
        c.edit(model.Sensors[0]);
        keepLogged(model, tick.settings);
        EXPECT_EQ(model.Sensors[0].LogHaveCounters64, c.kept);
        EXPECT_EQ(model.Sensors[0].LogPrevDown64, c.kept ? 1000u : 0u);
        EXPECT_EQ(model.Sensors[0].LogPrevUp64, c.kept ? 2000u : 0u);
    }
}

} // namespace
