#include "ScriptedV2cAgent.h"

#include "SensorPoll.h"
#include "SensorPollV2c.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using SensorPoll::TPollResult;

constexpr uint64_t kTop64 = std::numeric_limits<uint64_t>::max();

TSensorRecord v2cSensor(const std::string& index, const std::string& name)
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostIP = "127.0.0.1";
    sensor.Community = "public";
    sensor.Sensor = index;
    sensor.SensorName = name;
    sensor.SpeedType = stDetected;
    sensor.SnmpVersion = TSnmpVersion::V2c;
    SensorPoll::buildCounterOids(sensor);
    return sensor;
}

TPollResult poll(TSensorRecord& sensor, ISnmpReader& agent)
{
    return SensorPoll::applyReading(
        sensor, SensorPoll::readSensor(SensorPoll::targetOf(sensor, false), agent));
}

// Rates across the tops of both counter widths and at 10 and 100 Gbit/s.
TEST(SensorPollV2c, RatesFromOneRequestPerPoll)
{
    struct Case
    {
        const char* what;
        bool highCapacity;
        uint64_t firstIn, secondIn;
        uint32_t hundredths; // between the polls
        double rate;         // bytes per second in
        TTimerToUse timerToUse = TTimerToUse::AgentUpTime;
    };
    const Case cases[] = {
        {"64-bit wrap", true, kTop64 - 999, 500, 100, 1500},
        {"10 Gbit/s", true, 1000, 1000 + 1250000000ull * 5, 500, 1250000000.0},
        {"100 Gbit/s", true, 1ull << 40, (1ull << 40) + 12500000000ull, 100, 12500000000.0},
        {"64-bit counter back: reset", true, 1ull << 62, 1000, 100, 0},
        {"32-bit wrap", false, 0xFFFFFF9Cull, 100, 100, 200},
        {"32-bit plain", false, 1000, 3000, 200, 1000},
        {"32-bit plain, local clock", false, 1000, 3000, 200, 1000, TTimerToUse::LocalTickCount},
        {"10 Gbit/s, local clock", true, 1000, 1000 + 1250000000ull * 5, 500, 1250000000.0,
         TTimerToUse::LocalTickCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedV2cAgent agent;
        agent.interfaces[4] = {"wan", c.firstIn, 7, c.highCapacity};
        TSensorRecord sensor = v2cSensor("4", "wan");
        sensor.TimerToUse = c.timerToUse;
        const TPollResult first = poll(sensor, agent);
        EXPECT_TRUE(first.replied);
        EXPECT_EQ(first.downRate, 0); // a baseline
        agent.takeRequests();

        agent.interfaces[4].in = c.secondIn;
        agent.interfaces[4].out = 7 + 2 * c.hundredths;
        agent.upTime += c.hundredths;
        agent.ticks += c.hundredths * 10;
        const TPollResult second = poll(sensor, agent);
        EXPECT_TRUE(second.replied);
        EXPECT_DOUBLE_EQ(second.downRate, c.rate);
        EXPECT_DOUBLE_EQ(second.upRate, 200.0);

        // One request, three bindings, of the width the agent has.
        const auto requests = agent.takeRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].version, SensorPoll::kSnmpVersion2c);
        const CounterOids oids = counterOidsFor(4, c.highCapacity, c.highCapacity);
        EXPECT_EQ(requests[0].oids,
                  (std::vector<std::string>{SensorPoll::kUpTimeOid, oids.in, oids.out}));
    }
}

// Counters are read only from the types a counter can be: an agent that
// sends "12345" as an octet string gives no counter, never a number.
TEST(SensorPollV2c, OnlyCounterTypesAreCounters)
{
    const struct
    {
        const char* what;
        int type;
        bool valid;
    } cases[] = {
        {"Counter64", 0x46, true},  {"Counter32", 0x41, true},     {"Gauge32", 0x42, true},
        {"INTEGER", 0x02, true},    {"OCTET STRING", 0x04, false}, {"Opaque", 0x44, false},
        {"TimeTicks", 0x43, false}, {"IpAddress", 0x40, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedV2cAgent agent;
        agent.counterType = c.type;
        agent.interfaces[4] = {"wan", 12345, 678, true};
        TSensorRecord sensor = v2cSensor("4", "wan");
        const SensorPoll::TSensorReading reading =
            SensorPoll::readSensor(SensorPoll::targetOf(sensor, false), agent);
        EXPECT_TRUE(reading.replied);
        EXPECT_EQ(reading.v2c.valid, c.valid);
        if (c.valid) {
            EXPECT_EQ(reading.v2c.down, 12345u);
            EXPECT_EQ(reading.v2c.up, 678u);
        }
    }
}

TEST(SensorPollV2c, SwappedSensorShowsOutAsDownload)
{
    ScriptedV2cAgent agent;
    agent.interfaces[1] = {"lan", 0, 0, true};
    TSensorRecord sensor = v2cSensor("1", "lan");
    sensor.SwapedInOut = true;
    poll(sensor, agent);
    agent.interfaces[1].in = 100;
    agent.interfaces[1].out = 900;
    agent.upTime += 100;
    const TPollResult result = poll(sensor, agent);
    EXPECT_DOUBLE_EQ(result.downRate, 900);
    EXPECT_DOUBLE_EQ(result.upRate, 100);
}

// Any value missing from a poll is a failed read: error texts, and the next
// good poll measures over the whole gap.
TEST(SensorPollV2c, ExceptionsAreFailedReads)
{
    const std::vector<std::string> missing[] = {
        {SensorPoll::kUpTimeOid},
        {std::string(kIfHCInOctetsPrefix) + "2"},
        {std::string(kIfHCOutOctetsPrefix) + "2"},
    };
    for (const auto& exceptions : missing) {
        SCOPED_TRACE(exceptions.front());
        ScriptedV2cAgent agent;
        agent.interfaces[2] = {"wan", 1000, 1000, true};
        TSensorRecord sensor = v2cSensor("2", "wan");
        ASSERT_TRUE(poll(sensor, agent).replied);

        agent.exceptions.insert(exceptions.begin(), exceptions.end());
        agent.interfaces[2].in += 5000;
        agent.upTime += 100;
        const TPollResult failed = poll(sensor, agent);
        EXPECT_FALSE(failed.replied);
        EXPECT_EQ(failed.downText, "Error on DL sensor");
        EXPECT_EQ(failed.upText, "Error on UL sensor");
        EXPECT_EQ(failed.downRate, 1);

        agent.exceptions.clear();
        agent.interfaces[2].in += 5000;
        agent.upTime += 100;
        const TPollResult after = poll(sensor, agent);
        EXPECT_TRUE(after.replied);
        EXPECT_DOUBLE_EQ(after.downRate, 5000); // 10000 octets over 2 s
    }
}

TEST(SensorPollV2c, SilentAgentIsTheErrorBranch)
{
    ScriptedV2cAgent agent;
    agent.interfaces[2] = {"wan", 1000, 1000, true};
    TSensorRecord sensor = v2cSensor("2", "wan");
    agent.silent = true;
    const TPollResult result = poll(sensor, agent);
    EXPECT_FALSE(result.replied);
    EXPECT_EQ(result.downText, "Error on DL sensor");
    EXPECT_EQ(agent.walks, 0);
}

TEST(SensorPollV2c, AgentWithoutHighCapacityCountersFallsBackTo32Bits)
{
    ScriptedV2cAgent agent;
    agent.interfaces[3] = {"ppp0", 10, 10, false};
    TSensorRecord sensor = v2cSensor("3", "ppp0");
    ASSERT_TRUE(poll(sensor, agent).replied);
    EXPECT_FALSE(sensor.HighCapacity);
    // After a restart with a new firmware that has them, they are chosen.
    agent.interfaces[3] = {"ppp0", 1ull << 40, 0, true};
    agent.upTime = 5;
    ASSERT_TRUE(poll(sensor, agent).replied);
    EXPECT_TRUE(sensor.HighCapacity);
    agent.interfaces[3].in += 1ull << 33;
    agent.upTime += 100;
    EXPECT_DOUBLE_EQ(poll(sensor, agent).downRate, double(1ull << 33));
}

// After a restart the interfaces are numbered anew; the sensor follows its
// interface by name, or shows its error texts while there is none.
TEST(SensorPollV2c, InterfaceKeepsItsNameAcrossRestarts)
{
    struct Case
    {
        const char* what;
        std::map<int32_t, ScriptedV2cAgent::Interface> after;
        bool replied;
        std::string index;
        bool storeChanged;
        const char* note; // part of the title's tool tip
    };
    const Case cases[] = {
        {"same numbers", {{2, {"eth0", 0, 0}}, {3, {"ppp0", 0, 0}}}, true, "3", false, ""},
        {"renumbered",
         {{2, {"ppp0", 0, 0}}, {3, {"eth0", 0, 0}}},
         true,
         "2",
         true,
         "is now number 2"},
        {"gone",
         {{2, {"eth0", 0, 0}}, {3, {"wlan0", 0, 0}}},
         false,
         "3",
         false,
         "no interface named \"ppp0\""},
        {"twice, neither at 3",
         {{4, {"ppp0", 0, 0}}, {5, {"ppp0", 0, 0}}},
         false,
         "3",
         false,
         "no interface named \"ppp0\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedV2cAgent agent;
        agent.interfaces = {{2, {"eth0", 0, 0}}, {3, {"ppp0", 0, 0}}};
        TSensorRecord sensor = v2cSensor("3", "ppp0");
        ASSERT_TRUE(poll(sensor, agent).replied);
        agent.upTime += 100;
        ASSERT_TRUE(poll(sensor, agent).replied);

        agent.interfaces = c.after;
        for (auto& [index, interface] : agent.interfaces)
            interface.in = interface.out = uint64_t(index) * 1000000;
        agent.upTime = 50; // restarted
        const TPollResult result = poll(sensor, agent);
        EXPECT_EQ(result.replied, c.replied);
        EXPECT_EQ(sensor.Sensor, c.index);
        EXPECT_EQ(result.storeChanged, c.storeChanged);
        const auto tip = SensorPoll::titleToolTip(result);
        ASSERT_TRUE(tip.has_value());
        EXPECT_NE(tip->find(c.note), std::string::npos) << *tip;
        if (!c.replied) {
            EXPECT_EQ(result.downText, "Error on DL sensor");
            EXPECT_EQ(result.downRate, 1);
        } else {
            // Counters from before the restart are no baseline.
            EXPECT_EQ(result.downRate, 0);
            EXPECT_EQ(sensor.DownOID, std::string(kIfInOctetsPrefix) + c.index);
        }

        // The next poll graphs the sensor's own interface, or nothing.
        const int32_t own = std::stoi(c.index);
        for (auto& [index, interface] : agent.interfaces)
            interface.in += index == own ? 300 : 7;
        agent.upTime += 100;
        const TPollResult next = poll(sensor, agent);
        EXPECT_EQ(next.replied, c.replied);
        EXPECT_DOUBLE_EQ(next.downRate, c.replied ? 300.0 : 1.0);
    }
}

// Lost, and back as a new baseline, after a restart of the agent or with the
// agent up all along (a modem unplugged and plugged in again), at a new
// number or its own.
TEST(SensorPollV2c, LostInterfaceIsFollowedWhenItComesBack)
{
    const struct
    {
        bool restarted;
        int32_t backAt;
    } rows[] = {{true, 9}, {false, 9}, {false, 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.restarted) + " " + std::to_string(row.backAt));
        ScriptedV2cAgent agent;
        agent.interfaces = {{3, {"ppp0", 0, 0}}};
        TSensorRecord sensor = v2cSensor("3", "ppp0");
        ASSERT_TRUE(poll(sensor, agent).replied);
        agent.interfaces = {{2, {"eth0", 0, 0}}};
        agent.upTime = row.restarted ? 10 : agent.upTime + 100;
        EXPECT_FALSE(poll(sensor, agent).replied);
        EXPECT_FALSE(poll(sensor, agent).replied); // still looked for at each poll

        agent.interfaces[row.backAt] = {"ppp0", 5000, 5000};
        agent.upTime += 100;
        const TPollResult found = poll(sensor, agent);
        EXPECT_TRUE(found.replied);
        EXPECT_EQ(found.downRate, 0); // octets from before it was lost are no step
        EXPECT_EQ(found.storeChanged, row.backAt != 3);
        // Nothing says any more that it is gone.
        EXPECT_EQ(SensorPoll::titleToolTip(found).value_or("").find("no interface"),
                  std::string::npos);
        EXPECT_EQ(sensor.Sensor, std::to_string(row.backAt));
        agent.interfaces[row.backAt].in += 400;
        agent.upTime += 100;
        EXPECT_DOUBLE_EQ(poll(sensor, agent).downRate, 400);
    }
}

TEST(SensorPollV2c, ParseUnsignedRefusesWhatIsNoCounter)
{
    struct Case
    {
        const char* text;
        uint64_t max;
        bool ok;
        uint64_t value;
    };
    const Case cases[] = {
        {"0", kTop64, true, 0},
        {"18446744073709551615", kTop64, true, kTop64},
        {"18446744073709551616", kTop64, false, 0},
        {"4294967296", 0xFFFFFFFFu, false, 0},
        {"4294967295", 0xFFFFFFFFu, true, 0xFFFFFFFFu},
        {"-1", kTop64, false, 0},
        {"", kTop64, false, 0},
        {"12a", kTop64, false, 0},
        {"000000000000000000001", kTop64, false, 0},
    };
    for (const Case& c : cases) {
        uint64_t value = 77;
        EXPECT_EQ(SensorPoll::parseUnsigned(c.text, c.max, value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 77u) << c.text;
    }
}

} // namespace

namespace {

// A counter step forward the interface could not have carried is no traffic
// for the graph: rate 0, the live scale stays, the sample still goes to the
// other consumers, and the next step counts from the new reading.
TEST(SensorPollV2c, AJumpBeyondTheInterfacesSpeedIsNoTraffic)
{
    struct Case
    {
        const char* what;
        TSpeedType speedType;
        int64_t speed; // kbit/s
        uint64_t step;
        double rate;
    };
    const Case cases[] = {
        {"2^60 at unknown speed (live)", stLive, 0, 1ull << 60, 0},
        {"2^60 at a detected 1 Gbit/s", stDetected, 1'000'000, 1ull << 60, 0},
        {"20 GB in 5 s at a detected 100 Mbit/s", stDetected, 100'000, 20'000'000'000ull, 0},
        {"the same at unknown speed counts", stLive, 0, 20'000'000'000ull, 4e9},
        {"a full 1 Gbit/s counts", stDetected, 1'000'000, 625'000'000, 125e6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedV2cAgent agent;
        agent.interfaces[4] = {"wan", 1000, 2000, true};
        TSensorRecord sensor = v2cSensor("4", "wan");
        sensor.SpeedType = c.speedType;
        sensor.DownSpeed = sensor.UpSpeed = c.speed;
        ASSERT_TRUE(poll(sensor, agent).replied);
        agent.interfaces[4].in += c.step;
        agent.upTime += 500;
        const TPollResult jumped = poll(sensor, agent);
        ASSERT_TRUE(jumped.replied);
        EXPECT_DOUBLE_EQ(jumped.downRate, c.rate);
        ASSERT_TRUE(jumped.sample.has_value());
        EXPECT_EQ(jumped.sample->down, 1000 + c.step);
        if (c.rate == 0) {
            EXPECT_FALSE(jumped.newMaximum.has_value());
        }
        agent.interfaces[4].in += 5120;
        agent.upTime += 500;
        EXPECT_DOUBLE_EQ(poll(sensor, agent).downRate, 1024.0);
    }
}

} // namespace
