// The running program against snmpd behind a lossy, slow link and behind a
// black hole, in network namespaces of the test's own. A lost reply costs
// exactly one time-out of its read, nothing is sent twice, passes never
// overlap, and no loss ever stops the poll or shows as a number. The link loses 30 % of the replies
// and delays the rest by 200 ms: with tc netem where the kernel has it, else with a relay on the
// agent side that does the same (kernels built without sch_netem exist).

#include "FaultNetwork.h"
#include "LossyRelay.h"
#include "ProcessProbes.h"
#include "RecordingNetwork.h"
#include "RestartableSnmpd.h"

#include "app/MainFormFixture.h"

#include "ApplicationReport.h"
#include "PeerRequirement.h"
#include "SensorPoll.h"
#include "SnmpSensorNetwork.h"
#include "TVrTimer.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <set>
#include <unistd.h>

namespace {

class LossyNetwork : public MainFormFixture
{
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        m_previous = ApplicationReport::setReportFunction(
            [this](const QString& text) { m_reports.push_back(text.toStdString()); });
    }
    void TearDown() override
    {
        ApplicationReport::setReportFunction(m_previous);
        MainFormFixture::TearDown();
    }

    // snmpd on the agent side; the calling thread is left on the client side.
    bool startAgent(FaultNetwork& net, RestartableSnmpd& agent, std::string& why)
    {
        if (!net.failure().empty()) {
            why = "network namespaces: " + net.failure();
            return false;
        }
        if (!net.enterAgent()) {
            why = "cannot enter the agent's namespace";
            return false;
        }
        const bool started = agent.start();
        if (!net.enterClient()) {
            net.leave();
            why = "cannot enter the client's namespace";
            return false;
        }
        why = agent.error();
        return started;
    }

    std::unique_ptr<TMainForm> formFor(int interval, bool timers)
    {
        TMonitorSettings s = typicalSettings();
        s.Interval = interval;
        s.Sensors = {configuredSensor(FaultNetwork::AgentAddress, "Far")};
        seedStore(s);
        return makeForm(m_net, timers);
    }

    std::vector<std::string> m_reports;
    ApplicationReport::ReportFunction m_previous;
    std::shared_ptr<RecordingNetwork> m_net =
        std::make_shared<RecordingNetwork>(std::make_shared<SnmpSensorNetwork>());
};

TEST_F(LossyNetwork, ThirtyPerCentLossAndTwoHundredMillisecondsDelay)
{
    FaultNetwork net;
    REQUIRE_PEER(net.failure().empty(), "network namespaces: " + net.failure());
    // netem where there is one; otherwise snmpd sits behind the relay.
    const bool netem = net.setAgentQdisc("netem loss 30% delay 200ms");
    RestartableSnmpd agent(netem ? FaultNetwork::AgentAddress : "127.0.0.1",
                           netem ? "10.91.0.0/24" : "127.0.0.0/8");
    LossyRelay relay(FaultNetwork::AgentAddress, "127.0.0.1", 30, 200);
    std::string why;
    bool up = startAgent(net, agent, why);
    if (up && !netem) {
        up = net.enterAgent() && relay.start();
        why = relay.error();
        net.enterClient();
    }
    REQUIRE_PEER(up, why);
    const long receivedBefore = net.agentReceivedPackets();
    const long droppedBefore = net.agentDroppedPackets();

    // Driven by the program's own master timer, one tick a second. Nothing
    // may stop it: no modal window, no negative rate on a label.
    auto form = formFor(1, true);
    TSensorControls* c = form->sensorControls(0);
    const long seconds = ProcessProbes::countFromEnvironment("TRAVIMETRA_FAULT_LOSSY_SECONDS", 40);
    QElapsedTimer clock;
    clock.start();
    bool modal = false;
    std::set<std::string> labels;
    while (clock.elapsed() < seconds * 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        modal = modal || QApplication::activeModalWidget() != nullptr;
        labels.insert(c->DownLabel->text().toStdString());
        labels.insert(c->UpLabel->text().toStdString());
    }
    form->masterTimer()->setEnabled(false);
    form->networkJobs().settle();
    const int samples = c->Scope->channels().items(0).sampleCount();
    // The labels show the poll, whatever it met, not their design texts.
    EXPECT_NE(c->DownLabel->text(), "Download Speed");
    labels.erase("Download Speed");
    labels.erase("Upload Speed");
    form.reset();
    net.leave();
    EXPECT_FALSE(modal);
    for (const std::string& label : labels)
        EXPECT_EQ(label.find('-'), std::string::npos) << label;
    // Every pass advanced the graph: one sample per pass, whatever was lost.
    // A pass is one failed reachability read or five reads.
    int passes = 0;
    const std::vector<RecordingNetwork::Read> all = m_net->reads();
    for (std::size_t i = 0; i < all.size(); i += all[i].ok ? 5 : 1)
        ++passes;
    EXPECT_EQ(samples, passes);

    const long received = net.agentReceivedPackets() - receivedBefore;
    relay.stop();
    const long dropped = netem ? net.agentDroppedPackets() - droppedBefore : relay.dropped();
    int failed = 0;
    double slowestAnswer = 0, shortestTimeOut = 1e9, longestTimeOut = 0;
    for (const RecordingNetwork::Read& read : m_net->reads()) {
        if (read.ok) {
            slowestAnswer = std::max(slowestAnswer, read.milliseconds);
            EXPECT_GE(read.milliseconds, 195) << read.oid;
            EXPECT_LT(read.milliseconds, 1500) << read.oid;
        } else {
            ++failed;
            shortestTimeOut = std::min(shortestTimeOut, read.milliseconds);
            longestTimeOut = std::max(longestTimeOut, read.milliseconds);
            EXPECT_NEAR(read.milliseconds, 5000, 100) << read.oid;
        }
    }
    std::printf("[ figures  ] %s, %lds: %zu reads, %d failed, %ld requests reached the agent, %ld "
                "replies dropped; answers took up to %.0f ms, time-outs %.0f..%.0f ms; %zu "
                "reports\n",
                netem ? "netem" : "relay", seconds, m_net->reads().size(), failed, received,
                dropped, slowestAnswer, shortestTimeOut, longestTimeOut, m_reports.size());
    ASSERT_GT(m_net->reads().size(), 5u);
    // One request per read, every lost reply one failed read.
    EXPECT_EQ(received, long(m_net->reads().size()));
    EXPECT_EQ(dropped, failed);
    EXPECT_GT(failed, 0);
    // Passes ran one after the other, each sensor's reads in turn.
    EXPECT_EQ(m_net->deepestNesting(), 1);
    // A lost reading is an error branch, never a report.
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(LossyNetwork, BlackHoledAgentCostsOneRequestAndFiveSeconds)
{
    FaultNetwork net;
    RestartableSnmpd agent(FaultNetwork::AgentAddress, "10.91.0.0/24");
    std::string why;
    const bool up = startAgent(net, agent, why);
    REQUIRE_PEER(up, why);
    auto form = formFor(5, false);
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    TSensorControls* c = form->sensorControls(0);
    ASSERT_TRUE(c->DownLabel->text().startsWith("DL: "));

    // A queue that holds nothing: every reply is dropped.
    ASSERT_TRUE(net.setAgentQdisc("pfifo limit 0")) << net.failure();
    const long receivedBefore = net.agentReceivedPackets();
    m_net->clear();
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    const long received = net.agentReceivedPackets() - receivedBefore;
    const long dropped = net.agentDroppedPackets();
    net.leave();

    EXPECT_EQ(dropped, 1);
    ASSERT_EQ(m_net->reads().size(), 1u);
    EXPECT_FALSE(m_net->reads()[0].ok);
    EXPECT_NEAR(m_net->reads()[0].milliseconds, 5000, 100);
    EXPECT_EQ(received, 1);
    EXPECT_EQ(c->DownLabel->text().toStdString(), "Error on DL sensor");
    EXPECT_EQ(c->UpLabel->text().toStdString(), "Error on UL sensor");
    std::printf("[ figures  ] black hole: %ld request, read failed after %.1f ms\n", received,
                m_net->reads()[0].milliseconds);
}

} // namespace
