// An agent that dies in the middle of a run and comes back with its uptime
// (and, for a rebooted router, its counters) started afresh.

#include "ProcessProbes.h"
#include "RestartableSnmpd.h"

#include "app/MainFormFixture.h"

#include "BerTag.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SensorPoll.h"
#include "SnmpSensorNetwork.h"
#include "TSNMPRec.h"

#include <chrono>
#include <thread>

namespace {

constexpr const char* kSnmpdAddress = "127.0.0.91";
constexpr const char* kRouterAddress = "127.0.0.92";

// A router of our own whose uptime and counters the test sets.
class RebootingRouter
{
public:
    bool start()
    {
        m_agent = std::make_unique<ScriptedAgent>(kRouterAddress);
        return m_agent->start([this](const ScriptedAgent::Request& request) {
            std::vector<ScriptedAgent::Datagram> replies;
            TSNMPRec decoded;
            if (!decoded.Decode(request.bytes) || decoded.VarBindCount() == 0)
                return replies;
            const std::string oid = decoded.VarBind(0).Oid;
            std::uint32_t value = 0;
            int tag = BerTag::Counter32;
            if (oid == SensorPoll::kUpTimeOid) {
                value = m_upTime;
                tag = BerTag::TimeTicks;
            } else if (oid == std::string(SensorPoll::kInOctetsPrefix) + "1") {
                value = m_in;
            } else if (oid == std::string(SensorPoll::kOutOctetsPrefix) + "1") {
                value = m_out;
            } else {
                return replies;
            }
            replies.push_back({AgentReply::response(AgentReply::requestId(request.bytes),
                                                    {{oid, tag, AgentReply::unsigned32(value)}}),
                               false, 0});
            return replies;
        });
    }
    // Gone: the port is closed, so every read fails at once.
    void stop() { m_agent.reset(); }
    void set(std::uint32_t upTime, std::uint32_t in, std::uint32_t out)
    {
        m_upTime = upTime;
        m_in = in;
        m_out = out;
    }
    std::string error() const { return m_agent ? m_agent->error() : std::string(); }

private:
    std::unique_ptr<ScriptedAgent> m_agent;
    std::atomic<std::uint32_t> m_upTime{0}, m_in{0}, m_out{0};
};

class AgentRestart : public MainFormFixture
{
protected:
    // "DL: 12.3 kb/s" -> 12.3
    static double labelKilobytes(const QLabel* label)
    {
        const QString text = label->text();
        return text.mid(4, text.size() - 4 - 5).toDouble();
    }

    std::shared_ptr<SnmpSensorNetwork> m_net = std::make_shared<SnmpSensorNetwork>();

    std::unique_ptr<TMainForm> formFor(const char* address, int timerToUse = 0)
    {
        TMonitorSettings s = typicalSettings();
        s.Sensors = {configuredSensor(address, "Agent")};
        s.Sensors[0].TimerToUse = static_cast<TTimerToUse>(timerToUse);
        seedStore(s);
        return makeForm(m_net);
    }
};

TEST_F(AgentRestart, SnmpdKilledAndStartedAgainInTheMiddleOfAThousandPasses)
{
    RestartableSnmpd agent(kSnmpdAddress);
    REQUIRE_PEER(agent.start(), agent.error());
    auto form = formFor(kSnmpdAddress);
    TSensorControls* c = form->sensorControls(0);
    ASSERT_NE(c, nullptr);

    const long passes = ProcessProbes::countFromEnvironment("TRAVIMETRA_FAULT_PASSES", 1000);
    int descriptorsAfterTen = -1;
    for (long pass = 1; pass <= passes; ++pass) {
        if (pass == 300) {
            agent.kill();
            // Down: the closed port is reported at once, every pass shows the
            // error texts and the graph advances just above its bottom.
            for (int down = 0; down < 3; ++down) {
                form->UpdateAllMonitors();
                form->networkJobs().settle();
                EXPECT_EQ(c->DownLabel->text().toStdString(), "Error on DL sensor");
                EXPECT_EQ(c->UpLabel->text().toStdString(), "Error on UL sensor");
                EXPECT_EQ(c->Scope->channels().items(0).sample(0), 1);
                EXPECT_EQ(form->trayHint(),
                          "Travimetra\n\r\n\rAgent -> Error on DL sensor | Error on UL sensor");
            }
            ASSERT_TRUE(agent.start()) << agent.error();
            // Back with a fresh uptime: the first pass shows rate 0, the next
            // ones the loopback's real traffic, never a spike.
            form->UpdateAllMonitors();
            form->networkJobs().settle();
            EXPECT_EQ(c->DownLabel->text().toStdString(), "DL: 0.0 kb/s");
            EXPECT_EQ(c->UpLabel->text().toStdString(), "UL: 0.0 kb/s");
            EXPECT_EQ(c->Scope->channels().items(0).sample(0), 0);
            for (int back = 0; back < 3; ++back) {
                form->UpdateAllMonitors();
                form->networkJobs().settle();
                const double down = labelKilobytes(c->DownLabel);
                EXPECT_GE(down, 0) << c->DownLabel->text().toStdString();
                EXPECT_LT(down, 100000) << c->DownLabel->text().toStdString();
            }
            continue;
        }
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        ASSERT_TRUE(c->DownLabel->text().startsWith("DL: ")) << c->DownLabel->text().toStdString();
        if (pass == 10)
            descriptorsAfterTen = ProcessProbes::openFileDescriptors();
    }
    EXPECT_EQ(ProcessProbes::openFileDescriptors(), descriptorsAfterTen);
    std::printf("[ figures  ] open descriptors after 10 passes %d, after %ld passes %d\n",
                descriptorsAfterTen, passes, ProcessProbes::openFileDescriptors());
}

// A rebooted router starts its uptime and its counters from 0. Whichever time
// source the sensor uses, the first poll after its return shows rate 0, not
// the distance between the old and the new counters.
TEST_F(AgentRestart, RebootedRouterGivesNoSpikeWithEitherTimeSource)
{
    for (int timerToUse : {0, 1}) {
        SCOPED_TRACE(timerToUse);
        RebootingRouter router;
        router.set(500000, 3000000000u, 3000000000u);
        REQUIRE_PEER(router.start(), router.error());
        auto form = formFor(kRouterAddress, timerToUse);
        TSensorControls* c = form->sensorControls(0);

        form->UpdateAllMonitors();

        form->networkJobs().settle();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        router.set(500100, 3000000000u + 10240, 3000000000u + 5120);
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        if (timerToUse == 0) {
            EXPECT_EQ(c->DownLabel->text().toStdString(), "DL: 10.0 kb/s");
            EXPECT_EQ(c->UpLabel->text().toStdString(), "UL: 5.0 kb/s");
        } else {
            EXPECT_TRUE(c->DownLabel->text() != "DL: 0.0 kb/s");
        }

        router.stop();
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        EXPECT_EQ(c->DownLabel->text().toStdString(), "Error on DL sensor");

        router.set(300, 4096, 2048);
        ASSERT_TRUE(router.start()) << router.error();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        EXPECT_EQ(c->DownLabel->text().toStdString(), "DL: 0.0 kb/s");
        EXPECT_EQ(c->UpLabel->text().toStdString(), "UL: 0.0 kb/s");
        EXPECT_EQ(c->Scope->channels().items(0).sample(0), 0);
        EXPECT_EQ(c->Scope->channels().items(1).sample(0), 0);

        // From there on the new counters count.
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        router.set(400, 4096 + 10240, 2048 + 10240);
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        if (timerToUse == 0) {
            EXPECT_EQ(c->DownLabel->text().toStdString(), "DL: 10.0 kb/s");
        }
        EXPECT_GT(c->Scope->channels().items(0).sample(0), 0);
    }
}

} // namespace
