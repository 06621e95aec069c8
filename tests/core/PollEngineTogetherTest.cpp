// The engine with a network that reads SNMPv2c gets together: every poll
// must end exactly as it would have read alone, with each get on the wire
// once, and a held agent must hold up only its own sensor.

#include "ScriptedV2cAgent.h"

#include "PollEngine.h"
#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "ThreadRunner.h"

#include "widgets/Watchdog.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

using namespace SensorPoll;

namespace {

// The tick counts the together-reading gives around the get to 10.0.0.<n>.
uint32_t sentTickOf(const std::string& host)
{
    return 1000u * uint32_t(std::stoi(host.substr(host.rfind('.') + 1)));
}
constexpr uint32_t kRoundTrip = 7;

// A scripted agent read as the program's network reads: the gets handed to
// readTogether end one by one, those to `heldHost` only once released.
class TogetherAgent : public ScriptedV2cAgent
{
public:
    std::string heldHost;

    bool readsTogether() const override { return true; }
    void readTogether(const std::vector<TReadRequest>& requests, const ReadEnded& ended) override
    {
        std::vector<std::string> hosts;
        for (const TReadRequest& request : requests)
            hosts.push_back(request.host);
        {
            std::lock_guard<std::mutex> lock(m_holdMutex);
            m_batches.push_back(hosts);
        }
        std::vector<std::size_t> held;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (requests[i].host == heldHost) {
                held.push_back(i);
                continue;
            }
            const uint32_t sent = sentTickOf(requests[i].host);
            ended(i, read(requests[i]), sent, sent + kRoundTrip);
        }
        if (held.empty())
            return;
        std::unique_lock<std::mutex> lock(m_holdMutex);
        m_release.wait(lock, [this] { return m_released; });
        lock.unlock();
        for (const std::size_t i : held)
            ended(i, read(requests[i]), 0, 0);
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_released = true;
        m_release.notify_all();
    }
    std::vector<std::vector<std::string>> batches()
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        return m_batches;
    }

private:
    std::mutex m_holdMutex;
    std::condition_variable m_release;
    bool m_released = false;
    std::vector<std::vector<std::string>> m_batches;
};

template <class Agent> void equip(Agent& agent)
{
    agent.upTime = 10000;
    agent.interfaces = {
        {1, {"eth0", 5000, 6000}}, {3, {"wan", 7000, 8000}}, {4, {"old", 90, 91, false}}};
}

class Deliveries
{
public:
    PollEngine::SensorDone sink()
    {
        return [this](TSensorReading reading) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_readings.push_back(std::move(reading));
            m_arrived.notify_all();
        };
    }
    std::map<int, TSensorReading> waitFor(std::size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait(lock, [&] { return m_readings.size() >= count; });
        std::map<int, TSensorReading> byIndex;
        for (const TSensorReading& r : m_readings)
            byIndex.emplace(r.index, r);
        EXPECT_EQ(byIndex.size(), m_readings.size()) << "a sensor delivered twice";
        return byIndex;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<TSensorReading> m_readings;
};

TSensorRecord sensorAt(int n)
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostIP = "10.0.0." + std::to_string(n);
    sensor.Community = "public";
    sensor.Sensor = "1";
    sensor.SensorName = "eth0";
    sensor.SnmpVersion = TSnmpVersion::V2c;
    buildCounterOids(sensor);
    return sensor;
}

// A sensor polled before: its counters are chosen, the agent's uptime known.
void polledBefore(TSensorRecord& sensor)
{
    sensor.CountersFor = countersKey(sensor);
    sensor.HighCapacity = true;
    sensor.LastAgentUpTime = 9000;
}

std::vector<std::string> wireOf(const std::vector<TReadRequest>& requests, const std::string& host)
{
    std::vector<std::string> wire;
    for (const TReadRequest& r : requests) {
        if (r.host != host)
            continue;
        std::string line = std::to_string(r.version);
        for (const std::string& oid : r.oids)
            line += " " + oid;
        wire.push_back(line);
    }
    return wire;
}

void expectSameReading(const TSensorReading& got, const TSensorReading& alone)
{
    EXPECT_EQ(got.pingFailed, alone.pingFailed);
    EXPECT_EQ(got.replied, alone.replied);
    EXPECT_EQ(got.reach, alone.reach);
    EXPECT_EQ(got.firstTime, alone.firstTime);
    EXPECT_EQ(got.down, alone.down);
    EXPECT_EQ(got.up, alone.up);
    EXPECT_EQ(got.secondTime, alone.secondTime);
    EXPECT_EQ(got.v2c.used, alone.v2c.used);
    EXPECT_EQ(got.v2c.valid, alone.v2c.valid);
    EXPECT_EQ(got.v2c.upTime, alone.v2c.upTime);
    EXPECT_EQ(got.v2c.down, alone.v2c.down);
    EXPECT_EQ(got.v2c.up, alone.v2c.up);
    EXPECT_EQ(got.v2c.chosen, alone.v2c.chosen);
    EXPECT_EQ(got.v2c.highCapacity, alone.v2c.highCapacity);
    EXPECT_EQ(got.v2c.reboundIndex, alone.v2c.reboundIndex);
    EXPECT_EQ(got.v2c.interfaceLost, alone.v2c.interfaceLost);
}

// Each kind of poll, read among others by the engine, ends as it does read
// alone from the same agent, with the same gets on the wire (the first one
// sent once, never again for the rest of the poll). Those whose poll starts
// with an SNMPv2c get are read together, in one call.
TEST(PollEngineTogether, EveryPollEndsAsItWouldAloneWithEachGetSentOnce)
{
    struct Case
    {
        const char* what;
        std::function<void(TSensorRecord&)> setUp;
        bool pingFirst;
        bool together;
    };
    const std::vector<Case> cases = {
        {"polled before, one get", polledBefore, false, true},
        {"polled before, local clock",
         [](TSensorRecord& s) {
             polledBefore(s);
             s.TimerToUse = TTimerToUse::LocalTickCount;
         },
         false, true},
        {"first poll: name checked, counters chosen", [](TSensorRecord&) {}, false, true},
        {"agent restarted since",
         [](TSensorRecord& s) {
             polledBefore(s);
             s.LastAgentUpTime = 20000;
         },
         false, true},
        {"interface renumbered",
         [](TSensorRecord& s) {
             s.Sensor = "2";
             s.SensorName = "wan";
             buildCounterOids(s);
         },
         false, true},
        {"only 32-bit counters",
         [](TSensorRecord& s) {
             s.Sensor = "4";
             s.SensorName = "old";
             buildCounterOids(s);
         },
         false, true},
        {"interface gone", [](TSensorRecord& s) { s.SensorName = "ppp0"; }, false, true},
        {"version 1", [](TSensorRecord& s) { s.SnmpVersion = TSnmpVersion::V1; }, false, false},
        {"pinged first", polledBefore, true, false},
    };

    std::vector<TSensorTarget> targets;
    std::set<std::string> togetherHosts;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        TSensorRecord sensor = sensorAt(int(i) + 1);
        cases[i].setUp(sensor);
        targets.push_back(targetOf(sensor, cases[i].pingFirst));
        targets.back().index = int(i);
        if (cases[i].together)
            togetherHosts.insert(sensor.HostIP);
    }

    auto agent = std::make_shared<TogetherAgent>();
    equip(*agent);
    Deliveries deliveries;
    {
        ThreadRunner threads;
        PollEngine engine(agent, threads.runner());
        ASSERT_TRUE(engine.startReads(targets, deliveries.sink()));
        deliveries.waitFor(cases.size());
    }
    const std::map<int, TSensorReading> got = deliveries.waitFor(cases.size());

    ScriptedV2cAgent reference;
    equip(reference);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const TSensorReading alone = readSensor(targets[i], reference);
        ASSERT_EQ(got.count(int(i)), 1u);
        expectSameReading(got.at(int(i)), alone);
        EXPECT_EQ(wireOf(agent->requests, targets[i].host),
                  wireOf(reference.requests, targets[i].host));
    }
    // The local clock reads as it did around the get read together.
    const TV2cReading& local = got.at(1).v2c;
    EXPECT_EQ(local.firstTick, sentTickOf(targets[1].host));
    EXPECT_EQ(local.secondTick, sentTickOf(targets[1].host) + kRoundTrip);

    const auto batches = agent->batches();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(std::set<std::string>(batches[0].begin(), batches[0].end()), togetherHosts);
}

// A get read together that waits on its agent holds up no other sensor of the
// same call: theirs are handed over while it still waits.
TEST(PollEngineTogether, AHeldAgentHoldsUpOnlyItsOwnSensor)
{
    Watchdog watchdog("gets read together with one held agent", std::chrono::seconds(60));
    auto agent = std::make_shared<TogetherAgent>();
    equip(*agent);
    std::vector<TSensorTarget> targets;
    for (int i = 0; i < 4; ++i) {
        TSensorRecord sensor = sensorAt(i + 1);
        polledBefore(sensor);
        targets.push_back(targetOf(sensor, false));
        targets.back().index = i;
    }
    agent->heldHost = targets[1].host;
    struct Release
    {
        TogetherAgent& agent;
        ~Release() { agent.release(); }
    } release{*agent};

    Deliveries deliveries;
    ThreadRunner threads;
    PollEngine engine(agent, threads.runner());
    ASSERT_TRUE(engine.startReads(targets, deliveries.sink()));
    const std::map<int, TSensorReading> early = deliveries.waitFor(3);
    EXPECT_EQ(early.count(1), 0u);
    for (const auto& [index, reading] : early)
        EXPECT_TRUE(reading.v2c.valid) << index;

    agent->release();
    const std::map<int, TSensorReading> all = deliveries.waitFor(4);
    ASSERT_EQ(all.count(1), 1u);
    EXPECT_TRUE(all.at(1).v2c.valid);
}

} // namespace
