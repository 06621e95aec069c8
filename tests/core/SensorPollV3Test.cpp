// SNMPv3 sensors poll the way SNMPv2c ones do, with their user on every
// request; a refusal is the error branch with its reason for the user, never
// a value.

#include "ScriptedV2cAgent.h"

#include "SensorPoll.h"
#include "SensorPollV2c.h"

#include <gtest/gtest.h>

namespace {

using SensorPoll::TPollResult;

const SnmpV3User kUser{"monitor",     SecurityLevel::AuthPriv, AuthProtocol::SHA256,
                       "authSecret1", PrivProtocol::AES128,    "privSecret1"};
const char* const kRefusal =
    "Authentication failed: wrong password or authentication protocol for user \"monitor\"";

TSensorRecord v3Sensor(const std::string& index = "4", const std::string& name = "wan")
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostName = "Router";
    sensor.HostIP = "127.0.0.1";
    sensor.Community = "unused";
    sensor.Sensor = index;
    sensor.SensorName = name;
    sensor.SpeedType = stDetected;
    sensor.SnmpVersion = TSnmpVersion::V3;
    sensor.V3 = kUser;
    SensorPoll::buildCounterOids(sensor);
    return sensor;
}

TPollResult poll(TSensorRecord& sensor, ISnmpReader& agent)
{
    return SensorPoll::applyReading(
        sensor, SensorPoll::readSensor(SensorPoll::targetOf(sensor, false), agent));
}

void expectUser(const TReadRequest& request)
{
    EXPECT_EQ(request.version, SensorPoll::kSnmpVersion3);
    EXPECT_EQ(request.v3.UserName, kUser.UserName);
    EXPECT_EQ(request.v3.Level, kUser.Level);
    EXPECT_EQ(request.v3.Auth, kUser.Auth);
    EXPECT_EQ(request.v3.AuthPassword, kUser.AuthPassword);
    EXPECT_EQ(request.v3.Priv, kUser.Priv);
    EXPECT_EQ(request.v3.PrivPassword, kUser.PrivPassword);
}

// Every request of a v3 sensor, the name check and walk after a renumbering
// included, is a version-3 request as the sensor's user; the rates are those
// of the one three-binding request.
TEST(SensorPollV3, EveryRequestCarriesTheUser)
{
    ScriptedV2cAgent agent;
    agent.interfaces[4] = {"wan", 1000, 2000, true};
    TSensorRecord sensor = v3Sensor();
    ASSERT_TRUE(poll(sensor, agent).replied);
    agent.interfaces[4].in += 50000;
    agent.upTime += 500;
    const TPollResult second = poll(sensor, agent);
    EXPECT_DOUBLE_EQ(second.downRate, 10000.0);
    EXPECT_EQ(agent.requests.back().oids.size(), 3u);

    // The agent restarts with the interface under another number.
    agent.interfaces[7] = agent.interfaces[4];
    agent.interfaces.erase(4);
    agent.upTime = 100;
    const TPollResult moved = poll(sensor, agent);
    EXPECT_TRUE(moved.replied);
    EXPECT_EQ(sensor.Sensor, "7");
    ASSERT_EQ(agent.walked.size(), 1u);
    expectUser(agent.walked[0]);
    ASSERT_GE(agent.requests.size(), 4u);
    for (const TReadRequest& request : agent.requests)
        expectUser(request);
}

// A refused request is the error branch: the previous values stay, the
// reason is the title's tool tip and part of the tray hint line, and the tip
// is cleared once the agent answers again.
TEST(SensorPollV3, RefusalIsTheErrorBranchWithItsReason)
{
    const struct
    {
        const char* what;
        bool countersChosen; // the refusal comes after a first good poll
    } cases[] = {{"refused from the first poll", false}, {"refused later", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedV2cAgent agent;
        agent.interfaces[4] = {"wan", 1000, 2000, true};
        TSensorRecord sensor = v3Sensor();
        if (c.countersChosen) {
            ASSERT_TRUE(poll(sensor, agent).replied);
        }
        const TSensorRecord before = sensor;

        agent.refusal = kRefusal;
        agent.interfaces[4].in += 70000;
        agent.upTime += 700;
        const TPollResult refused = poll(sensor, agent);
        EXPECT_FALSE(refused.replied);
        EXPECT_EQ(refused.downText, "Error on DL sensor");
        EXPECT_EQ(refused.upText, "Error on UL sensor");
        EXPECT_EQ(refused.failure, kRefusal);
        EXPECT_EQ(SensorPoll::titleToolTip(refused), std::optional<std::string>(kRefusal));
        EXPECT_EQ(SensorPoll::hintLine(sensor, refused.downText, refused.upText, refused.failure),
                  "Router -> Error on DL sensor | Error on UL sensor (" + std::string(kRefusal) +
                      ")");
        EXPECT_EQ(sensor.GraphSeries.hasBaseline(), before.GraphSeries.hasBaseline());
        EXPECT_EQ(sensor.GraphSeries.last().down, before.GraphSeries.last().down);
        EXPECT_EQ(sensor.PrevTime, before.PrevTime);

        agent.refusal.clear();
        agent.interfaces[4].in += 30000;
        agent.upTime += 300;
        const TPollResult back = poll(sensor, agent);
        EXPECT_TRUE(back.replied);
        EXPECT_EQ(back.failure, "");
        EXPECT_EQ(SensorPoll::titleToolTip(back), std::optional<std::string>(""));
        // Measured over the whole gap, refused poll included.
        EXPECT_DOUBLE_EQ(back.downRate, c.countersChosen ? 10000.0 : 0.0);
    }
}

// An agent that started again is a new baseline, whether its uptime went
// back or only its engine said so.
TEST(SensorPollV3, RestartedAgentIsANewBaseline)
{
    const struct
    {
        const char* what;
        bool engineRebooted;
        int64_t upTimeStep;
        double rate;
    } cases[] = {
        {"engine rebooted, uptime still going up", true, 500, 0},
        {"uptime went back", false, -5000, 0},
        {"neither", false, 500, 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedV2cAgent agent;
        agent.interfaces[4] = {"wan", 1ull << 40, 2000, true};
        TSensorRecord sensor = v3Sensor();
        ASSERT_TRUE(poll(sensor, agent).replied);
        agent.interfaces[4].in += 10000;
        agent.upTime = static_cast<uint32_t>(agent.upTime + c.upTimeStep);
        agent.rebooted = c.engineRebooted;
        const TPollResult after = poll(sensor, agent);
        EXPECT_TRUE(after.replied);
        EXPECT_DOUBLE_EQ(after.downRate, c.rate);
        EXPECT_EQ(sensor.GraphSeries.last().down, (1ull << 40) + 10000);
    }
}

} // namespace
