#include "FakeSensorNetwork.h"
#include "HeldSensorNetwork.h"

#include "PollEngine.h"
#include "ThreadRunner.h"

#include "widgets/Watchdog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <thread>

using namespace SensorPoll;

namespace {

using namespace std::chrono_literals;

TSensorTarget target(int index, const std::string& host)
{
    TSensorTarget t;
    t.index = index;
    t.host = host;
    t.community = "public";
    t.downOid = "1.3.6.1.2.1.2.2.1.10.1";
    t.upOid = "1.3.6.1.2.1.2.2.1.16.1";
    return t;
}

void answerEverything(FakeSensorNetwork& net)
{
    net.answer(kUpTimeOid, "100");
    net.answer("1.3.6.1.2.1.2.2.1.10.1", "5");
    net.answer("1.3.6.1.2.1.2.2.1.16.1", "6");
}

// Collects the readings handed over from the network threads.
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
    std::vector<TSensorReading> waitFor(std::size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait(lock, [&] { return m_readings.size() >= count; });
        return m_readings;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<TSensorReading> m_readings;
};

TEST(PollEngine, ASlowAgentHoldsUpOnlyItsOwnReading)
{
    Watchdog watchdog("reads with one held agent", std::chrono::seconds(60));
    auto net = std::make_shared<HeldSensorNetwork>();
    answerEverything(*net);
    net->heldHost = "10.0.0.1";
    ThreadRunner threads;
    PollEngine engine(net, threads.runner());
    Deliveries deliveries;
    ASSERT_TRUE(engine.startReads(
        {target(0, "10.0.0.1"), target(2, "10.0.0.2"), target(5, "10.0.0.3")}, deliveries.sink()));
    // The sensors after the held one are read and handed over while it still
    // waits: with the pass waiting for its slowest read they would not be.
    std::vector<TSensorReading> first = deliveries.waitFor(2);
    ASSERT_EQ(first.size(), 2u);
    std::set<int> early = {first[0].index, first[1].index};
    EXPECT_EQ(early, (std::set<int>{2, 5}));
    for (const TSensorReading& r : first) {
        EXPECT_TRUE(r.replied);
        EXPECT_EQ(r.down, std::optional<std::string>("5"));
    }
    EXPECT_EQ(net->requestsOf("10.0.0.1"), 0u);
    net->release();
    const std::vector<TSensorReading> all = deliveries.waitFor(3);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].index, 0);
    EXPECT_TRUE(all[2].replied);
}

TEST(PollEngine, EachSensorsReadsKeepTheirOrder)
{
    auto net = std::make_shared<FakeSensorNetwork>();
    answerEverything(*net);
    Deliveries deliveries;
    {
        ThreadRunner threads;
        PollEngine engine(net, threads.runner());
        std::vector<TSensorTarget> targets;
        for (int i = 0; i < 8; ++i)
            targets.push_back(target(i, "10.0.1." + std::to_string(i)));
        ASSERT_TRUE(engine.startReads(targets, deliveries.sink()));
    }
    EXPECT_EQ(deliveries.waitFor(8).size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const std::string at = "@10.0.1." + std::to_string(i) + "/public";
        std::vector<std::string> mine;
        for (const std::string& r : net->m_requests) {
            if (r.size() > at.size() && r.compare(r.size() - at.size(), at.size(), at) == 0)
                mine.push_back(r.substr(0, r.size() - at.size()));
        }
        const std::vector<std::string> order = {kUpTimeOid, kUpTimeOid, "1.3.6.1.2.1.2.2.1.10.1",
                                                "1.3.6.1.2.1.2.2.1.16.1", kUpTimeOid};
        EXPECT_EQ(mine, order) << i;
    }
}

// A network that throws for one agent: that sensor counts as not answering
// and its reading still comes back, so it is not out for good.
class ThrowingNetwork : public FakeSensorNetwork
{
public:
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        if (host == "10.0.0.66")
            throw std::runtime_error("broken");
        return FakeSensorNetwork::readValue(oid, community, host, value);
    }
};

TEST(PollEngine, AReadThatThrowsIsASilentAgentNotAStuckSensor)
{
    auto net = std::make_shared<ThrowingNetwork>();
    answerEverything(*net);
    Deliveries deliveries;
    ThreadRunner threads;
    PollEngine engine(net, threads.runner());
    ASSERT_TRUE(
        engine.startReads({target(0, "10.0.0.66"), target(1, "10.0.0.2")}, deliveries.sink()));
    std::vector<TSensorReading> all = deliveries.waitFor(2);
    std::sort(all.begin(), all.end(),
              [](const TSensorReading& a, const TSensorReading& b) { return a.index < b.index; });
    EXPECT_EQ(all[0].index, 0);
    EXPECT_FALSE(all[0].replied);
    EXPECT_EQ(all[1].index, 1);
    EXPECT_TRUE(all[1].replied);
}

TEST(PollEngine, ARefusingRunnerReadsNothing)
{
    auto net = std::make_shared<FakeSensorNetwork>();
    PollEngine engine(net, [](std::function<void()>) { return false; });
    EXPECT_FALSE(engine.startReads({target(0, "10.0.0.1")}, [](TSensorReading) {
        ADD_FAILURE() << "a reading nobody took was delivered";
    }));
    EXPECT_TRUE(net->m_requests.empty());
}

} // namespace
