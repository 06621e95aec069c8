#include "DialogTestSupport.h"

#include "OffThreadDeviceNetwork.h"

#include <QTimer>

#include <atomic>
#include <thread>

namespace {

// Holds each call until the test lets it go, and notes the thread it ran on.
class HeldDeviceNetwork : public ScriptedDeviceNetwork
{
public:
    std::atomic<bool> released{false};
    std::thread::id caller;

    SnmpV3Result readV3(V3Read, const std::vector<std::string>& oids, const SnmpV3User& user,
                        const std::string&,
                        const std::shared_ptr<GuardedEngineCache>& engines) override
    {
        caller = std::this_thread::get_id();
        SnmpV3Result result;
        result.Outcome = SnmpV3Outcome::WrongDigests;
        result.Detail = user.UserName + " " + oids.at(0);
        seenEngines = engines.get();
        return result;
    }
    const GuardedEngineCache* seenEngines = nullptr;

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        caller = std::this_thread::get_id();
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return ScriptedDeviceNetwork::readValue(oid, community, host, value);
    }
};

using OffThreadDeviceNetworkTest = DialogTest;

TEST_F(OffThreadDeviceNetworkTest, TheCallerKeepsProcessingEventsWhileTheAgentIsAsked)
{
    auto inner = std::make_shared<HeldDeviceNetwork>();
    inner->values["1.3.6.1.2.1.1.5.0"] = "gateway";
    inner->strayFrom = "10.0.0.9";
    OffThreadDeviceNetwork network(inner);
    // Events of the caller's thread run during the call: the first one lets
    // the agent answer. Blocking the thread instead, the call never ends
    // and the test's time-out fails it.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 3)
            inner->released = true;
    });
    timer.start(1);
    std::string value;
    EXPECT_TRUE(network.readValue("1.3.6.1.2.1.1.5.0", "vandor", "10.0.0.1", value));
    EXPECT_EQ(value, "gateway");
    EXPECT_GE(ticks, 3);
    EXPECT_NE(inner->caller, std::this_thread::get_id());
    EXPECT_EQ(network.answeredFrom("10.0.0.1"), "10.0.0.9");

    // The other calls pass their answers through unchanged.
    inner->addInterfaces({{"3", "eth0", "100000000"}});
    std::string oid = "1.3.6.1.2.1.2.2.1";
    EXPECT_TRUE(network.readNext(oid, "vandor", "10.0.0.1", value));
    EXPECT_EQ(oid, "1.3.6.1.2.1.2.2.1.1.3");
    inner->pingResult = 7;
    EXPECT_EQ(network.pingRoundTrip("10.0.0.1"), 7);
    inner->answering = false;
    value = "stale";
    EXPECT_FALSE(network.readValue("1.3.6.1.2.1.1.5.0", "vandor", "10.0.0.1", value));
    EXPECT_EQ(value, "");

    // SNMPv3 reads run on the network thread too, with the caller's engines.
    inner->caller = {};
    auto engines = std::make_shared<GuardedEngineCache>();
    SnmpV3User user;
    user.UserName = "ann";
    const SnmpV3Result result =
        network.readV3(V3Read::Get, {"1.3.6.1.2.1.1.5.0"}, user, "10.0.0.1", engines);
    EXPECT_EQ(result.Outcome, SnmpV3Outcome::WrongDigests);
    EXPECT_EQ(result.Detail, "ann 1.3.6.1.2.1.1.5.0");
    EXPECT_EQ(inner->seenEngines, engines.get());
    EXPECT_NE(inner->caller, std::this_thread::get_id());
    EXPECT_NE(inner->caller, std::thread::id());
}

} // namespace
