// The latency sensor against real echo replies, inside a network namespace
// the test makes for its thread: the kernel there ignores echo requests, and
// an answer comes only from a responder of the test's own, after a known
// delay. A host that nothing answers is silent.

#include "DelayedEchoResponder.h"
#include "MainFormFixture.h"

#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "SnmpSensorNetwork.h"
#include "TVrLevelBar.h"
#include "VrColor.h"

#include <fstream>
#include <sched.h>

namespace {

constexpr const char* kAnsweringHost = "127.0.0.1";
constexpr const char* kSilentHost = "127.0.0.74";
constexpr int kDelayMs = 20;

// A network namespace for the calling thread (the one that pings): loopback
// up, the kernel's own echo replies off.
bool enterQuietNetwork(std::string& why)
{
    static int state = 0; // 0 not tried, 1 entered, -1 failed
    if (state == 0) {
        state = -1;
        int status = -1;
        if (::unshare(CLONE_NEWNET) != 0) {
            why = "cannot make a network namespace (needs root)";
            return false;
        }
        runCommand({findExecutable("ip"), "link", "set", "lo", "up"}, &status);
        std::ofstream ignore("/proc/sys/net/ipv4/icmp_echo_ignore_all");
        ignore << "1\n";
        ignore.close();
        if (status != 0 || !ignore) {
            why = "cannot set up the namespace's loopback";
            return false;
        }
        state = 1;
    }
    return state == 1;
}

class LatencyPeers : public MainFormFixture
{
protected:
    std::unique_ptr<TMainForm> latencyForm(const std::string& host)
    {
        TMonitorSettings s = typicalSettings();
        s.LatencySensor = true;
        s.LatencyHost = host;
        seedStore(s);
        return makeForm(std::make_shared<SnmpSensorNetwork>());
    }
};

TEST_F(LatencyPeers, AnsweringHostShowsItsRoundTripInLime)
{
    std::string why;
    REQUIRE_PEER(enterQuietNetwork(why), why);
    DelayedEchoResponder responder(kAnsweringHost, kDelayMs);
    REQUIRE_PEER(responder.running(), "no raw ICMP socket (needs root)");
    auto form = latencyForm(kAnsweringHost);
    form->LatencyTimerTimer();
    form->networkJobs().settle();

    const int r = form->latencyBar()->position();
    EXPECT_GE(r, kDelayMs);
    EXPECT_LE(r, 80) << "the machine is too slow for the green band";
    EXPECT_EQ(form->latencyLabel()->text().toStdString(),
              "Network Latency: " + std::to_string(r) + " ms");
    EXPECT_EQ(form->latencyLabel()->palette().color(QPalette::WindowText),
              VrColor::toQColor(0x00FF00));
}

// A host next door answers in microseconds: that is a reply, shown as under a
// millisecond, never as no reply. A busy machine may stretch one round trip
// past a millisecond, so a few tries are allowed to find the quick one.
TEST_F(LatencyPeers, ReplyUnderAMillisecondIsShownAsSuch)
{
    std::string why;
    REQUIRE_PEER(enterQuietNetwork(why), why);
    DelayedEchoResponder responder(kAnsweringHost, 0);
    REQUIRE_PEER(responder.running(), "no raw ICMP socket (needs root)");
    auto form = latencyForm(kAnsweringHost);
    bool underAMillisecond = false;
    for (int attempt = 0; attempt < 10 && !underAMillisecond; ++attempt) {
        form->LatencyTimerTimer();
        form->networkJobs().settle();
        const std::string caption = form->latencyLabel()->text().toStdString();
        EXPECT_NE(caption, "Host did not reply");
        underAMillisecond = caption == "Network Latency: <1 ms";
    }
    ASSERT_TRUE(underAMillisecond);
    EXPECT_EQ(form->latencyBar()->position(), 1);
    EXPECT_EQ(form->latencyLabel()->palette().color(QPalette::WindowText),
              VrColor::toQColor(0x00FF00));
}

TEST_F(LatencyPeers, SilentHostShowsNoReplyInGrey)
{
    std::string why;
    REQUIRE_PEER(enterQuietNetwork(why), why);
    DelayedEchoResponder responder(kAnsweringHost, kDelayMs); // answers someone else
    auto form = latencyForm(kSilentHost);
    form->latencyBar()->setPosition(120);
    form->LatencyTimerTimer();
    form->networkJobs().settle();

    EXPECT_EQ(form->latencyBar()->position(), 0);
    EXPECT_EQ(form->latencyLabel()->text(), "Host did not reply");
    EXPECT_EQ(form->latencyLabel()->palette().color(QPalette::WindowText),
              VrColor::toQColor(0x808080));
}

} // namespace
