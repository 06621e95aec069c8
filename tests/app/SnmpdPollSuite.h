#pragma once

// Sensors polled through the program's own network against one net-snmp
// agent that a whole suite shares, on an address of the suite's own.

#include "SensorPoll.h"
#include "SnmpSensorNetwork.h"

#include "PeerRequirement.h"
#include "SnmpdPeer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A sensor of the agent's interface `index` of `name`, read with `version`.
inline TSensorRecord agentSensor(const std::string& address, TSnmpVersion version,
                                 const std::string& index = "1", const std::string& name = "lo")
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostName = "agent";
    sensor.HostIP = address;
    sensor.Community = SnmpdPeer::community();
    sensor.Sensor = index;
    sensor.SensorName = name;
    sensor.SnmpVersion = version;
    SensorPoll::buildCounterOids(sensor);
    return sensor;
}

inline SensorPoll::TPollResult pollOnce(TSensorRecord& sensor, ISnmpReader& network)
{
    return SensorPoll::applyReading(
        sensor, SensorPoll::readSensor(SensorPoll::targetOf(sensor, false), network));
}

// `Suite` names the agent's address (kAgentAddress) and may give the agent
// users before it starts (a static prepareAgent).
template <class Suite> class SnmpdPollSuite : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_agent = std::make_unique<SnmpdPeer>(Suite::kAgentAddress);
        Suite::prepareAgent(*s_agent);
        s_started = s_agent->start();
    }
    static void TearDownTestSuite() { s_agent.reset(); }
    void SetUp() override { REQUIRE_PEER(s_started, s_agent->error()); }
    static void prepareAgent(SnmpdPeer&) {}

    SensorPoll::TPollResult poll(TSensorRecord& sensor) { return pollOnce(sensor, m_net); }

    SnmpSensorNetwork m_net;
    static inline std::unique_ptr<SnmpdPeer> s_agent;
    static inline bool s_started = false;
};
