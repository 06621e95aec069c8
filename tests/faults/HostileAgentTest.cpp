// A scripted agent that answers the running program's polls with malformed
// datagrams, forged replies from another address and replies to other
// requests. Only a well-formed GetResponse from the agent to the request just
// sent may count; everything else is dropped while the read waits on.

#include "ProcessProbes.h"
#include "RecordingNetwork.h"

#include "app/MainFormFixture.h"
#include "snmp/HexBytes.h"

#include "ApplicationReport.h"
#include "Ber.h"
#include "BerTag.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SensorPoll.h"
#include "SnmpSensorNetwork.h"
#include "TSNMPRec.h"
#include "TVrTimer.h"

#include <QElapsedTimer>

#include <atomic>
#include <mutex>

namespace {

constexpr const char* kAgentAddress = "127.0.0.93";
constexpr const char* kStrangerAddress = "127.0.0.94";

const std::string kDownOid = std::string(SensorPoll::kInOctetsPrefix) + "1";
const std::string kUpOid = std::string(SensorPoll::kOutOctetsPrefix) + "1";
constexpr std::uint32_t kBase = 1000000;

std::string withByte(std::string bytes, std::size_t index, unsigned char value)
{
    bytes.at(index) = static_cast<char>(value);
    return bytes;
}

std::string counterReply(std::int32_t id, std::uint32_t value)
{
    return AgentReply::response(id, {{kDownOid, BerTag::Counter32, AgentReply::unsigned32(value)}});
}

const char* const noCounterLabel = "Error on DL sensor";

struct Hostile
{
    const char* name;
    std::string datagram;
    bool fromStranger;
    // The download label when this datagram answers the download counter's
    // read ahead of the real answer: "DL: 10.0 kb/s" when it is dropped;
    // when it passes for the answer, whatever its bindings make of it.
    const char* downLabel;
};

// The decoder's bad inputs, each shaped as an answer to the download
// counter's read (request id 1, community "vandor"), and the other ways a
// datagram can fail to be the answer. The first `kDropped` of them must never
// count as an answer.
constexpr std::size_t kDropped = 13;
std::vector<Hostile> hostileDatagrams()
{
    const std::uint32_t real = kBase + 102400;
    const std::string good = counterReply(1, real);
    const std::string content = good.substr(2);
    const std::string value = AgentReply::unsigned32(real);
    const std::size_t valueLength = good.size() - value.size() - 1;
    const char* dropped = "DL: 10.0 kb/s";
    // Taken as the answer but without the counter: a lost reading, so the
    // poll takes its error branch (never a made-up count of 0).
    const char* noCounter = "Error on DL sensor";
    return {
        {"empty datagram", "", false, dropped},
        {"one byte", hexBytes("30"), false, dropped},
        {"first byte not constructed", withByte(good, 0, 0x02), false, dropped},
        {"outer length beyond the datagram", hexBytes("30 10 02 01 00"), false, dropped},
        {"outer long form cut off", hexBytes("30 82 01"), false, dropped},
        {"four-octet outer length", hexBytes("30 84 FF FF FF FF") + content, false, dropped},
        {"nine-octet outer length",
         hexBytes("30 89 01 00 00 00 00 00 00 00") + std::string(1, char(content.size())) + content,
         false, dropped},
        {"cut inside the varbind list", good.substr(0, 30), false, dropped},
        {"cut in the last byte", good.substr(0, good.size() - 1), false, dropped},
        {"version 3", withByte(good, 4, 3), false, dropped},
        {"reply to another request id", counterReply(2, 4000000000u), false, dropped},
        {"a GetRequest, not a GetResponse",
         AgentReply::message(BerTag::GetRequest, 1,
                             {{kDownOid, BerTag::Counter32, AgentReply::unsigned32(4000000000u)}}),
         false, dropped},
        {"forged reply from another address", counterReply(1, 4000000000u), true, dropped},
        // Well-formed enough to pass for the answer.
        {"nine-octet outer length with leading zeros",
         hexBytes("30 89 00 00 00 00 00 00 00 00") + std::string(1, char(content.size())) + content,
         false, dropped},
        {"indefinite outer length", hexBytes("30 80") + content, false, noCounter},
        {"PDU claims more than the message holds", withByte(good, 14, 0x7F), false, dropped},
        {"varbind list claims more than the PDU holds", withByte(good, 25, 0x7F), false, dropped},
        {"value claims more than the datagram holds",
         withByte(good, valueLength, static_cast<unsigned char>(value.size() + 2)), false,
         noCounter},
        {"a stray byte after the last binding",
         EncodeObject(content + hexBytes("00"), BerTag::Sequence), false, dropped},
        {"Counter32 of five octets",
         AgentReply::response(1, {{kDownOid, BerTag::Counter32, hexBytes("00 FF FF FF FE")}}),
         // Read as a counter that went back: rate 0, never negative.
         false, "DL: 0.0 kb/s"},
        {"OID with a sub-identifier above 2^32",
         EncodeObject(
             EncodeObject(EncodeInteger(0), BerTag::Integer) +
                 EncodeObject("vandor", BerTag::OctetString) +
                 EncodeObject(hexBytes("02 01 01 02 01 00 02 01 00") +
                                  EncodeObject(EncodeObject(EncodeObject(hexBytes("2B 06 01 90 80 "
                                                                                  "80 80 05"),
                                                                         BerTag::ObjectId) +
                                                                hexBytes("05 00"),
                                                            BerTag::Sequence),
                                               BerTag::Sequence),
                              BerTag::GetResponse),
             BerTag::Sequence),
         false, noCounter},
    };
}

// Answers uptime and both counters; the test puts datagrams of its own ahead
// of the answers to chosen OIDs, or instead of them.
class HostileAgent
{
public:
    HostileAgent() : m_agent(kAgentAddress, kStrangerAddress) {}

    bool start()
    {
        return m_agent.start([this](const ScriptedAgent::Request& request) {
            std::vector<ScriptedAgent::Datagram> replies;
            TSNMPRec decoded;
            if (!decoded.Decode(request.bytes) || decoded.VarBindCount() == 0)
                return replies;
            const std::string oid = decoded.VarBind(0).Oid;
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto ahead = m_ahead.find(oid);
            if (ahead != m_ahead.end())
                replies = ahead->second;
            if (m_silent.count(oid))
                return replies;
            std::uint32_t value = 0;
            int tag = BerTag::Counter32;
            if (oid == SensorPoll::kUpTimeOid) {
                value = m_upTime;
                tag = BerTag::TimeTicks;
            } else if (oid == kDownOid) {
                value = m_down;
            } else if (oid == kUpOid) {
                value = m_up;
            } else {
                return replies;
            }
            replies.push_back(
                {AgentReply::response(decoded.ID, {{oid, tag, AgentReply::unsigned32(value)}}),
                 false, 0});
            return replies;
        });
    }
    void set(std::uint32_t upTime, std::uint32_t down, std::uint32_t up)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_upTime = upTime;
        m_down = down;
        m_up = up;
    }
    // Datagrams sent before the answer to `oid`; `silent` leaves the answer out.
    void putAhead(const std::string& oid, std::vector<ScriptedAgent::Datagram> datagrams,
                  bool silent = false)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ahead[oid] = std::move(datagrams);
        if (silent)
            m_silent.insert(oid);
    }
    void clearAhead()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ahead.clear();
        m_silent.clear();
    }
    const std::string& error() const { return m_agent.error(); }

private:
    ScriptedAgent m_agent;
    std::mutex m_mutex;
    std::uint32_t m_upTime = 0, m_down = 0, m_up = 0;
    std::map<std::string, std::vector<ScriptedAgent::Datagram>> m_ahead;
    std::set<std::string> m_silent;
};

class HostileAgentTest : public MainFormFixture
{
protected:
    std::shared_ptr<RecordingNetwork> m_net =
        std::make_shared<RecordingNetwork>(std::make_shared<SnmpSensorNetwork>());
};

TEST_F(HostileAgentTest, EveryBadDatagramIsDroppedOrReadAsTheAnswerItClaimsToBe)
{
    HostileAgent agent;
    REQUIRE_PEER(agent.start(), agent.error());
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor(kAgentAddress, "Hostile")};
    seedStore(s);
    auto form = makeForm(m_net);
    TSensorControls* c = form->sensorControls(0);

    std::uint32_t upTime = 100000;
    for (const Hostile& h : hostileDatagrams()) {
        SCOPED_TRACE(h.name);
        // A fresh baseline for each, as after a rebuild.
        form->UpdateControlProperties();
        agent.clearAhead();
        agent.set(upTime, kBase, kBase);
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        ASSERT_EQ(c->DownLabel->text().toStdString(), "DL: 0.0 kb/s");

        // Ten seconds of agent time later, one pass meets the datagram.
        upTime += 1000;
        agent.set(upTime, kBase + 102400, kBase + 51200);
        agent.putAhead(kDownOid, {{h.datagram, h.fromStranger, 0}});
        m_net->clear();
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        EXPECT_EQ(c->DownLabel->text().toStdString(), h.downLabel);
        EXPECT_EQ(c->UpLabel->text().toStdString(), std::string(h.downLabel) == noCounterLabel
                                                        ? "Error on UL sensor"
                                                        : "UL: 5.0 kb/s");
        // Nothing waited for a time-out.
        for (const RecordingNetwork::Read& read : m_net->reads()) {
            EXPECT_TRUE(read.ok) << read.oid;
            EXPECT_LT(read.milliseconds, 1000) << read.oid;
        }
        upTime += 1000;
    }
    EXPECT_EQ(m_net->deepestNesting(), 1);
}

TEST_F(HostileAgentTest, OnlyJunkCostsOneTimeOutAndShowsTheErrorTexts)
{
    HostileAgent agent;
    REQUIRE_PEER(agent.start(), agent.error());
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor(kAgentAddress, "Hostile")};
    seedStore(s);
    auto form = makeForm(m_net);
    TSensorControls* c = form->sensorControls(0);
    agent.set(5000, kBase, kBase);
    form->UpdateAllMonitors();
    form->networkJobs().settle();

    // Every datagram that must not count, and no answer.
    std::vector<ScriptedAgent::Datagram> junk;
    const std::vector<Hostile> all = hostileDatagrams();
    for (std::size_t i = 0; i < kDropped; ++i)
        junk.push_back({all[i].datagram, all[i].fromStranger, 0});
    ASSERT_EQ(all[kDropped - 1].name, std::string("forged reply from another address"));
    agent.putAhead(SensorPoll::kUpTimeOid, junk, true);
    m_net->clear();
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(c->DownLabel->text().toStdString(), "Error on DL sensor");
    EXPECT_EQ(c->UpLabel->text().toStdString(), "Error on UL sensor");
    std::string seen;
    for (const RecordingNetwork::Read& read : m_net->reads())
        seen +=
            read.oid + (read.ok ? " ok " : " failed ") + std::to_string(read.milliseconds) + "; ";
    ASSERT_EQ(m_net->reads().size(), 1u) << seen;
    EXPECT_FALSE(m_net->reads()[0].ok);
    EXPECT_NEAR(m_net->reads()[0].milliseconds, 5000, 100);
    std::printf("[ figures  ] a read answered only by %zu bad datagrams failed after %.0f ms\n",
                junk.size(), m_net->reads()[0].milliseconds);

    // The agent behaves again: the next pass reads it as before.
    agent.clearAhead();
    agent.set(5500, kBase + 51200, kBase);
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(c->DownLabel->text().toStdString(), "DL: 10.0 kb/s");
}

// A counter that arrives as text that is no number ends that sensor's poll
// (its error branch) but not the pass; the error is reported without
// stopping anything and the timer goes on ticking.
TEST_F(HostileAgentTest, ACounterThatIsNoNumberIsReportedAndTheTimerGoesOn)
{
    HostileAgent agent;
    REQUIRE_PEER(agent.start(), agent.error());
    TMonitorSettings s = typicalSettings();
    s.Interval = 1;
    s.Sensors = {configuredSensor(kAgentAddress, "Hostile"),
                 configuredSensor(kAgentAddress, "Second")};
    seedStore(s);
    std::vector<QString> reports;
    const auto previous =
        ApplicationReport::setReportFunction([&](const QString& text) { reports.push_back(text); });
    agent.set(5000, kBase, kBase);
    agent.putAhead(
        kDownOid, {{AgentReply::response(1, {{kDownOid, BerTag::OctetString, "12abc"}}), false, 0}},
        true);
    auto form = makeForm(m_net, true);
    TSensorControls* second = form->sensorControls(1);

    QElapsedTimer clock;
    clock.start();
    while (reports.size() < 2 && clock.elapsed() < 6000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports[0].toStdString(), "'12abc' is not a valid integer value");
    // The second sensor, after the first in the same pass, was polled too
    // (and met the same value).
    EXPECT_EQ(second->DownLabel->text().toStdString(), "Error on DL sensor");
    EXPECT_EQ(form->sensorControls(0)->DownLabel->text().toStdString(), "Error on DL sensor");

    agent.clearAhead();
    const std::size_t reported = reports.size();
    clock.restart();
    while (!second->DownLabel->text().startsWith("DL: ") && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(second->DownLabel->text().startsWith("DL: "));
    // At most the pass that was out when the agent changed still reports.
    EXPECT_LE(reports.size(), reported + 2);
    form.reset();
    ApplicationReport::setReportFunction(previous);
}

} // namespace
