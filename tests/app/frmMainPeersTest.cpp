// The whole road of a poll against real agents: snmpd serving the loopback
// interface's counters, and a scripted agent of our own for exact values.

#include "MainFormFixture.h"

#include "ApplicationReport.h"
#include "SnmpSensorNetwork.h"

#include "BerTag.h"
#include "PeerRequirement.h"
#include "SNMPRead.h"
#include "ScriptedAgent.h"
#include "SensorPoll.h"
#include "SnmpdPeer.h"
#include "TCoolTrayIcon.h"
#include "TSNMPRec.h"
#include "TUsageRecorder.h"
#include "TickCount.h"
#include "UsageDatabase.h"
#include "UsageSensorKey.h"
#include "UsageWiring.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <chrono>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kSnmpdAddress = "127.0.0.51";
constexpr const char* kScriptedAddress = "127.0.0.52";
constexpr const char* kSilentAddress = "127.0.0.53";
constexpr const char* kClosedAddress = "127.0.0.54"; // nothing listens here

// Answers a get for each OID it has a value for, echoing the request id;
// other OIDs get no answer.
class CounterAgent
{
public:
    explicit CounterAgent(const char* address) : m_agent(address) {}

    bool start()
    {
        return m_agent.start([this](const ScriptedAgent::Request& request) {
            std::vector<ScriptedAgent::Datagram> replies;
            TSNMPRec decoded;
            if (!decoded.Decode(request.bytes) || decoded.VarBindCount() == 0)
                return replies;
            const std::string oid = decoded.VarBind(0).Oid;
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_asked[oid];
            const auto it = m_values.find(oid);
            if (it == m_values.end())
                return replies;
            replies.push_back({AgentReply::response(AgentReply::requestId(request.bytes),
                                                    {{oid, it->second.first, it->second.second}}),
                               false, 0});
            return replies;
        });
    }

    void set(const std::string& oid, int tag, const std::string& content)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values[oid] = {tag, content};
    }
    // Uptime in hundredths of a second, the counters of interface `index`.
    void setReadings(uint32_t upTime, uint32_t in, uint32_t out, const std::string& index = "1")
    {
        set(SensorPoll::kUpTimeOid, BerTag::TimeTicks, AgentReply::unsigned32(upTime));
        set(SensorPoll::kInOctetsPrefix + index, BerTag::Counter32, AgentReply::unsigned32(in));
        set(SensorPoll::kOutOctetsPrefix + index, BerTag::Counter32, AgentReply::unsigned32(out));
    }
    int asked(const std::string& oid)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_asked[oid];
    }
    // The OID is answered no more.
    void forget(const std::string& oid)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values.erase(oid);
    }
    const std::string& error() const { return m_agent.error(); }

private:
    ScriptedAgent m_agent;
    std::mutex m_mutex;
    std::map<std::string, std::pair<int, std::string>> m_values;
    std::map<std::string, int> m_asked;
};

class MainFormPeers : public MainFormFixture
{
protected:
    std::shared_ptr<SnmpSensorNetwork> m_net = std::make_shared<SnmpSensorNetwork>();

    static double labelNumber(QLabel* label)
    {
        // "DL: 12.3 kb/s"
        const QString text = label->text();
        return text.mid(4, text.size() - 4 - 5).toDouble();
    }
};

TEST_F(MainFormPeers, LiveGraphOfTheLoopbackInterfaceFromSnmpd)
{
    SnmpdPeer agent(kSnmpdAddress);
    const bool started = agent.start();
    REQUIRE_PEER(started, agent.error());

    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor(kSnmpdAddress, "Loopback")};
    seedStore(s);
    auto form = makeForm(m_net);
    TSensorControls* c = form->sensorControls(0);

    form->UpdateAllMonitors();

    form->networkJobs().settle();
    EXPECT_EQ(c->DownLabel->text(), "DL: 0.0 kb/s");
    EXPECT_EQ(c->UpLabel->text(), "UL: 0.0 kb/s");

    // Push about 4 MB through the loopback interface. snmpd refreshes its
    // interface table only every few seconds, so keep polling for a while.
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    inet_pton(AF_INET, kSnmpdAddress, &to.sin_addr);
    const std::string payload(8000, 'x');
    QElapsedTimer clock;
    clock.start();
    double down = 0;
    while (down <= 0 && clock.elapsed() < 12000) {
        for (int i = 0; i < 500; ++i)
            sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to),
                   sizeof to);
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        down = labelNumber(c->DownLabel);
    }
    close(fd);
    EXPECT_GT(down, 0) << c->DownLabel->text().toStdString();
    EXPECT_GT(labelNumber(c->UpLabel), 0);
    EXPECT_GT(c->Scope->channels().items(0).sample(0), 0);
    EXPECT_NE(form->trayIcon()->iconIndex(), 0);
    EXPECT_EQ(form->trayHint().rfind("Travimetra\n\r\n\rLoopback -> DL: ", 0), 0u)
        << form->trayHint();
}

TEST_F(MainFormPeers, ExactRatesWrapAndLiveRescaleFromAScriptedAgent)
{
    CounterAgent agent(kScriptedAddress);
    REQUIRE_PEER(agent.start(), agent.error());

    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor(kScriptedAddress, "Modem"),
                 configuredSensor(kScriptedAddress, "Live")};
    s.Sensors[1].Sensor = "2";
    s.Sensors[1].SpeedType = stLive;
    seedStore(s);
    auto form = makeForm(m_net);
    TSensorControls* modem = form->sensorControls(0);
    TSensorControls* live = form->sensorControls(1);
    EXPECT_EQ(live->Scope->maxValue(), 128); // saved live maximum of 1

    // Counters just below 2^32 arrive as negative texts.
    agent.setReadings(1000, 4294000000u, 100);
    agent.setReadings(1000, 5000, 5000, "2");
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(modem->DownLabel->text(), "DL: 0.0 kb/s");

    // Ten seconds of agent time later the download counter has wrapped.
    agent.setReadings(2000, 1000000, 102500);
    agent.setReadings(2000, 5000 + 25000, 5000 + 1000, "2");
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    // (2^32 - 4294000000 + 1000000) / 10 s = 196729.6 bytes/s.
    EXPECT_EQ(modem->DownLabel->text(), "DL: 192.1 kb/s");
    EXPECT_EQ(modem->UpLabel->text(), "UL: 10.0 kb/s");
    // The graph holds it at its full scale of 1024 kbit/s.
    EXPECT_EQ(modem->Scope->channels().items(0).sample(0), 131072);
    EXPECT_EQ(modem->Scope->channels().items(1).sample(0), 10240);
    // Download far above 62.5 % of 1024 kbit/s, upload within the first step.
    EXPECT_EQ(form->trayIcon()->iconIndex(), 6 * 5 + 1);

    // The live sensor grew to its highest rate and restarted its graph.
    EXPECT_EQ(live->DownLabel->text(), "DL: 2.4 kb/s");
    EXPECT_EQ(live->Scope->maxValue(), 2500);
    EXPECT_EQ(live->Scale->maxValue(), 2500);
    EXPECT_EQ(live->Scope->channels().items(0).sampleCount(), 1);
    EXPECT_EQ(form->settings().Sensors[1].DownSpeed, 2500);

    EXPECT_EQ(form->trayHint(), "Travimetra\n\r"
                                "\n\rModem -> DL: 192.1 kb/s | UL: 10.0 kb/s"
                                "\n\rLive -> DL: 2.4 kb/s | UL: 0.1 kb/s");
}

TEST_F(MainFormPeers, SilentAndClosedAgentsTakeTheErrorBranch)
{
    // The one test that waits for a client time-out (5 s).
    CounterAgent silent(kSilentAddress);
    REQUIRE_PEER(silent.start(), silent.error());

    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor(kSilentAddress, "Silent"),
                 configuredSensor(kClosedAddress, "Closed")};
    seedStore(s);
    auto form = makeForm(m_net);
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    for (int i = 0; i < 2; ++i) {
        TSensorControls* c = form->sensorControls(i);
        EXPECT_EQ(c->DownLabel->text(), "Error on DL sensor");
        EXPECT_EQ(c->UpLabel->text(), "Error on UL sensor");
        EXPECT_EQ(c->Scope->channels().items(0).sample(0), 1);
        EXPECT_EQ(c->Scope->channels().items(1).sample(0), 1);
    }
    EXPECT_EQ(silent.asked(SensorPoll::kUpTimeOid), 1);
    EXPECT_EQ(form->trayHint(), "Travimetra\n\r"
                                "\n\rSilent -> Error on DL sensor | Error on UL sensor"
                                "\n\rClosed -> Error on DL sensor | Error on UL sensor");
    // Both rates 1 over 1024 kbit/s: the lowest busy level each way.
    EXPECT_EQ(form->trayIcon()->iconIndex(), 7);
}

TEST_F(MainFormPeers, PingBeforePollGoesThroughTheKernelsEcho)
{
    // The loopback answers every echo, so the poll goes on to the agent,
    // which is not there.
    TMonitorSettings s = typicalSettings();
    s.DoPing = true;
    s.Sensors = {configuredSensor(kClosedAddress, "Pinged")};
    seedStore(s);
    auto form = makeForm(m_net);
    EXPECT_NE(m_net->pingRoundTrip(kClosedAddress), -1);
    form->UpdateAllMonitors();
    form->networkJobs().settle();
    EXPECT_EQ(form->sensorControls(0)->DownLabel->text(), "Error on DL sensor");
    EXPECT_EQ(form->trayHint(),
              "Travimetra\n\r\n\rPinged -> Error on DL sensor | Error on UL sensor");
}

TEST_F(MainFormPeers, ConversionErrorStopsOnlyItsSensorAndNoHostsAskNobody)
{
    CounterAgent agent(kScriptedAddress);
    REQUIRE_PEER(agent.start(), agent.error());

    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor(kScriptedAddress, "Odd"),
                 configuredSensor(kScriptedAddress, "Later")};
    s.Sensors[1].Sensor = "2";
    seedStore(s);
    {
        auto form = makeForm(m_net);
        agent.setReadings(1000, 1, 1);
        agent.setReadings(1000, 1, 1, "2");
        agent.set(std::string(SensorPoll::kInOctetsPrefix) + "1", BerTag::OctetString, "abc");
        std::vector<QString> reports;
        const auto previous = ApplicationReport::setReportFunction(
            [&](const QString& text) { reports.push_back(text); });
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        ApplicationReport::setReportFunction(previous);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports.front(), "'abc' is not a valid integer value");
        EXPECT_EQ(form->sensorControls(0)->DownLabel->text(), "Error on DL sensor");
        // The later sensor was polled in the same pass.
        EXPECT_EQ(agent.asked(std::string(SensorPoll::kInOctetsPrefix) + "2"), 1);
        EXPECT_EQ(form->sensorControls(1)->DownLabel->text(), "DL: 0.0 kb/s");
    }

    s.Sensors.clear();
    seedStore(s);
    auto empty = makeForm(m_net);
    EXPECT_EQ(empty->settings().NumberOfHosts, 0);
    const int before = agent.asked(SensorPoll::kUpTimeOid);
    empty->UpdateAllMonitors();
    empty->networkJobs().settle();
    EXPECT_EQ(agent.asked(SensorPoll::kUpTimeOid), before);
    EXPECT_EQ(empty->trayHint(), "Travimetra\n\r");
    EXPECT_EQ(empty->size(), QSize(260, 0));
}

// The usage history of a run against an agent whose counters are known: the
// totals are the octets the program saw the counters move by, to the octet,
// across a wrap, a lost read, an agent restart and a stop of the program.
TEST_F(MainFormPeers, UsageTotalsEqualTheOctetsCountedFromAScriptedAgent)
{
    CounterAgent agent(kScriptedAddress);
    REQUIRE_PEER(agent.start(), agent.error());
    TMonitorSettings s = typicalSettings();
    s.Sensors = {configuredSensor(kScriptedAddress, "Modem")};
    // 10 Gbit/s: the scripted steps are traffic the interface carries.
    s.Sensors[0].DownSpeed = s.Sensors[0].UpSpeed = 10'000'000;
    seedStore(s);

    struct Reading
    {
        const char* what;
        uint32_t upTime; // hundredths of a second
        uint32_t down, up;
        bool counted;        // the octets since the last good reading count
        bool downLost;       // the agent does not answer the download counter
        bool restartProgram; // the program stops and starts again first
    };
    const Reading readings[] = {
        {"first reading", 100000, 4000000000u, 1000, false, false, false},
        {"good", 103000, 4100000000u, 51000, true, false, false},
        {"download counter wraps", 106000, 700000000u, 99000, true, false, false},
        {"download read lost", 109000, 800000000u, 150000, false, true, false},
        {"good after the loss", 112000, 900000000u, 170000, true, false, false},
        {"agent restarted", 500, 20000, 3000, false, false, false},
        {"good after the restart", 3500, 9020000, 1003000, true, false, false},
        {"first reading after a program stop", 90000, 99020000, 5003000, false, false, true},
        {"good in the new run", 93000, 99520000, 5013000, true, false, false},
    };
    int64_t wallTime = 1767261600;
    const auto makeUsageForm = [&] {
        TMainForm::Options options;
        options.network = m_net;
        options.startTimers = false;
        options.wallClock = [&wallTime] { return wallTime; };
        return std::make_unique<TMainForm>(options);
    };
    auto form = makeUsageForm();
    const std::string path = form->usage().recorder().database()->path();
    uint64_t expectedDown = 0, expectedUp = 0;
    uint32_t lastDown = 0, lastUp = 0;
    for (const Reading& r : readings) {
        SCOPED_TRACE(r.what);
        if (r.restartProgram) {
            form.reset();
            form = makeUsageForm();
        }
        wallTime += 30;
        agent.setReadings(r.upTime, r.down, r.up);
        if (r.downLost)
            agent.forget(std::string(SensorPoll::kInOctetsPrefix) + "1");
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        EXPECT_EQ(form->sensorControls(0)->DownLabel->text().startsWith("DL: "), !r.downLost);
        if (r.downLost)
            continue; // the last good reading stays the baseline
        if (r.counted) {
            expectedDown += uint32_t(r.down - lastDown);
            expectedUp += uint32_t(r.up - lastUp);
        }
        lastDown = r.down;
        lastUp = r.up;
    }
    form.reset(); // the exit writes the last minute

    const auto db = TUsageDatabase::openForReading(path);
    ASSERT_NE(db, nullptr);
    const TOctets total = db->total(usageSensorKey(kScriptedAddress, "1"), 0, 99999999);
    EXPECT_EQ(total.down, expectedDown);
    EXPECT_EQ(total.up, expectedUp);
    // Not a total that merely looks right: the wrap's octets are in it.
    EXPECT_GT(expectedDown, uint64_t(4294967296u - 4100000000u));
}

} // namespace
