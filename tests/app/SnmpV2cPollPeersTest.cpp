// SNMPv2c sensors polled through the program's own network against net-snmp's
// agent: the counters and uptime it reads are the agent's, the rates follow
// from them, and the interface is found by its name with GetBulk.

#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "SnmpSensorNetwork.h"

#include "ChildProcess.h"
#include "InterfaceCounters.h"
#include "LoopbackOctets.h"
#include "SnmpdPeer.h"
#include "SnmpdPollSuite.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kSnmpdAddress = "127.0.0.227";

// snmpget -v2c of the loopback interface's uptime and 64-bit counters.
std::vector<uint64_t> snmpget()
{
    int status = -1;
    const std::string out = runCommand(
        {"snmpget", "-v2c", "-c", SnmpdPeer::community(), "-On", "-Oq", "-Ot", "-t", "2", "-r", "0",
         kSnmpdAddress, SensorPoll::kUpTimeOid, std::string(kIfHCInOctetsPrefix) + "1",
         std::string(kIfHCOutOctetsPrefix) + "1"},
        &status);
    EXPECT_EQ(status, 0) << out;
    std::vector<uint64_t> values;
    std::istringstream in(out);
    for (std::string oid, value; in >> oid >> value;)
        values.push_back(std::stoull(value));
    EXPECT_EQ(values.size(), 3u) << out;
    values.resize(3);
    return values;
}

TSensorRecord loopbackSensor(const std::string& index, const std::string& name)
{
    return agentSensor(kSnmpdAddress, TSnmpVersion::V2c, index, name);
}

class V2cPollAgainstSnmpd : public SnmpdPollSuite<V2cPollAgainstSnmpd>
{
public:
    static constexpr const char* kAgentAddress = kSnmpdAddress;
};

TEST_F(V2cPollAgainstSnmpd, RatesFollowTheAgentsHighCapacityCounters)
{
    TSensorRecord sensor = loopbackSensor("1", "lo");
    std::vector<uint64_t> read[2]; // uptime, in, out as our poll read them
    double rate[2] = {0, 0};
    for (int n = 0; n < 2; ++n) {
        if (n == 1) {
            ASSERT_TRUE(sendLoopbackOctets(kSnmpdAddress, 4000000));
            // The agent refreshes its interface statistics every few seconds.
            std::this_thread::sleep_for(std::chrono::milliseconds(3500));
        }
        const std::vector<uint64_t> before = snmpget();
        const SensorPoll::TPollResult result = poll(sensor);
        const std::vector<uint64_t> after = snmpget();
        ASSERT_TRUE(result.replied) << result.downText;
        EXPECT_TRUE(sensor.HighCapacity);
        read[n] = {uint64_t(sensor.LastAgentUpTime), sensor.GraphSeries.last().down,
                   sensor.GraphSeries.last().up};
        rate[n] = result.downRate;
        for (std::size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_LE(before[i], read[n][i]);
            EXPECT_LE(read[n][i], after[i]);
        }
    }
    EXPECT_EQ(rate[0], 0); // the first poll is the baseline
    const double seconds = double(read[1][0] - read[0][0]) / 100;
    ASSERT_GT(seconds, 0);
    const uint64_t octets = read[1][1] - read[0][1];
    EXPECT_GE(octets, 4000000u);
    EXPECT_DOUBLE_EQ(rate[1], double(octets) / seconds);
}

// A sensor whose number is not (or no longer) its interface's finds it by
// name through a GetBulk walk of ifDescr.
TEST_F(V2cPollAgainstSnmpd, InterfaceIsFoundByName)
{
    TSensorRecord moved = loopbackSensor("4242", "lo");
    const SensorPoll::TPollResult found = poll(moved);
    EXPECT_TRUE(found.replied);
    EXPECT_TRUE(found.storeChanged);
    EXPECT_EQ(moved.Sensor, "1");
    EXPECT_EQ(moved.DownOID, std::string(kIfInOctetsPrefix) + "1");

    TSensorRecord gone = loopbackSensor("1", "no-such-interface");
    const SensorPoll::TPollResult lost = poll(gone);
    EXPECT_FALSE(lost.replied);
    EXPECT_EQ(lost.downText, "Error on DL sensor");
    EXPECT_EQ(gone.Sensor, "1");
    const auto tip = SensorPoll::titleToolTip(lost);
    ASSERT_TRUE(tip.has_value());
    EXPECT_NE(tip->find("no-such-interface"), std::string::npos);
}

} // namespace
