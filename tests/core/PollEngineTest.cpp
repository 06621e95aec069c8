#include "FakeSensorNetwork.h"

#include "PollEngine.h"

#include "widgets/Watchdog.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

using namespace SensorPoll;

namespace {

using namespace std::chrono_literals;

// Runs each piece of work on a thread of its own; joins them all at the end.
class ThreadRunner
{
public:
    ~ThreadRunner()
    {
        for (std::thread& t : m_threads)
            t.join();
    }
    PollEngine::Runner runner()
    {
        return [this](std::function<void()> work) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_threads.emplace_back(std::move(work));
            return true;
        };
    }

private:
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
};

// Answers like FakeSensorNetwork, but holds every read of one host until the
// test lets it go: an agent that is slow to answer, under the test's control.
class HeldNetwork : public FakeSensorNetwork
{
public:
    std::string heldHost;
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        if (host == heldHost) {
            std::unique_lock<std::mutex> lock(m_holdMutex);
            m_release.wait(lock, [this] { return m_released; });
        }
        return FakeSensorNetwork::readValue(oid, community, host, value);
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_released = true;
        m_release.notify_all();
    }
    std::size_t requestsOf(const std::string& host)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t n = 0;
        for (const std::string& r : m_requests)
            n += r.find("@" + host + "/") != std::string::npos;
        return n;
    }

private:
    std::mutex m_holdMutex;
    std::condition_variable m_release;
    bool m_released = false;
};

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

TEST(PollEngine, ASlowAgentHoldsUpOnlyItsOwnReadingsAndPassesNeverOverlap)
{
    Watchdog watchdog("a pass with one held agent", std::chrono::seconds(60));
    auto net = std::make_shared<HeldNetwork>();
    answerEverything(*net);
    net->heldHost = "10.0.0.1";
    ThreadRunner threads;
    PollEngine engine(net, threads.runner());
    std::promise<std::vector<TSensorReading>> delivered;
    ASSERT_TRUE(engine.startPass(
        {target(0, "10.0.0.1"), target(2, "10.0.0.2"), target(5, "10.0.0.3")},
        [&](std::vector<TSensorReading> pass) { delivered.set_value(std::move(pass)); }));
    // The sensors after the held one are read while it still waits: read
    // one after the other, they would never be.
    while (net->requestsOf("10.0.0.2") < 5 || net->requestsOf("10.0.0.3") < 5)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(engine.passOut());
    // A tick now is skipped, not queued.
    EXPECT_FALSE(engine.startPass({target(0, "10.0.0.9")}, [](std::vector<TSensorReading>) {
        ADD_FAILURE() << "an overlapping pass was delivered";
    }));
    net->release();
    const std::vector<TSensorReading> pass = delivered.get_future().get();
    ASSERT_EQ(pass.size(), 3u);
    // In sensor order, whoever finished first.
    EXPECT_EQ(pass[0].index, 0);
    EXPECT_EQ(pass[1].index, 2);
    EXPECT_EQ(pass[2].index, 5);
    for (const TSensorReading& r : pass) {
        EXPECT_TRUE(r.replied);
        EXPECT_EQ(r.down, std::optional<std::string>("5"));
    }
    EXPECT_EQ(net->requestsOf("10.0.0.9"), 0u);
    EXPECT_FALSE(engine.passOut());
}

TEST(PollEngine, EachSensorsReadsKeepTheirOrder)
{
    auto net = std::make_shared<FakeSensorNetwork>();
    answerEverything(*net);
    std::promise<std::vector<TSensorReading>> delivered;
    {
        ThreadRunner threads;
        PollEngine engine(net, threads.runner());
        std::vector<TSensorTarget> targets;
        for (int i = 0; i < 8; ++i)
            targets.push_back(target(i, "10.0.1." + std::to_string(i)));
        ASSERT_TRUE(engine.startPass(targets, [&](std::vector<TSensorReading> pass) {
            delivered.set_value(std::move(pass));
        }));
    }
    EXPECT_EQ(delivered.get_future().get().size(), 8u);
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

// A network that throws for one agent: that sensor counts as not answering,
// the pass still comes back, and the next one can start.
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

TEST(PollEngine, AReadThatThrowsIsASilentAgentNotAStuckPass)
{
    auto net = std::make_shared<ThrowingNetwork>();
    answerEverything(*net);
    std::promise<std::vector<TSensorReading>> delivered;
    ThreadRunner threads;
    PollEngine engine(net, threads.runner());
    ASSERT_TRUE(engine.startPass(
        {target(0, "10.0.0.66"), target(1, "10.0.0.2")},
        [&](std::vector<TSensorReading> pass) { delivered.set_value(std::move(pass)); }));
    const std::vector<TSensorReading> pass = delivered.get_future().get();
    ASSERT_EQ(pass.size(), 2u);
    EXPECT_EQ(pass[0].index, 0);
    EXPECT_FALSE(pass[0].replied);
    EXPECT_TRUE(pass[1].replied);
    while (engine.passOut())
        std::this_thread::yield();
    EXPECT_TRUE(engine.startPass({}, [](std::vector<TSensorReading>) {}));
}

TEST(PollEngine, AnEmptyPassIsDoneAtOnceAndARefusingRunnerStartsNothing)
{
    auto net = std::make_shared<FakeSensorNetwork>();
    bool done = false;
    PollEngine engine(net, [](std::function<void()>) { return false; });
    EXPECT_TRUE(
        engine.startPass({}, [&](std::vector<TSensorReading> pass) { done = pass.empty(); }));
    EXPECT_TRUE(done);
    EXPECT_FALSE(engine.passOut());
    // A runner that is stopping: no pass, and the next one may start again.
    EXPECT_FALSE(engine.startPass({target(0, "10.0.0.1")}, [](std::vector<TSensorReading>) {
        ADD_FAILURE() << "a pass nobody read was delivered";
    }));
    EXPECT_FALSE(engine.passOut());
    EXPECT_TRUE(net->m_requests.empty());
}

} // namespace
