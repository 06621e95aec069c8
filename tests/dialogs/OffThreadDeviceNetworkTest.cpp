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
}

} // namespace
