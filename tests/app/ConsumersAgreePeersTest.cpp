// One reading, four places that show it: for sensors of every SNMP version
// against real agents, the rate labels, the tray hint, the traffic log and
// the usage total agree with each other and with the agent's counters, step
// after step, through wraps, restarts, renumbered interfaces, lost replies and
// silent agents. The window is driven as the program wires it: one poll pass,
// then one log tick, on the agent's counters as they stood.

#include "MainFormFixture.h"

#include "FileSecretStore.h"
#include "InterfaceCounters.h"
#include "RefreshSteps.h"
#include "SensorPollV2c.h"
#include "SensorPresenter.h"
#include "SensorSecrets.h"
#include "SnmpSensorNetwork.h"
#include "SnmpSensorStore.h"
#include "UsageDatabase.h"
#include "UsageSensors.h"
#include "UsageWiring.h"

#include "BerTag.h"
#include "ChildProcess.h"
#include "LoopbackOctets.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SnmpV3TestUsers.h"
#include "SnmpdPeer.h"
#include "TSNMPRec.h"

#include <QElapsedTimer>
#include <algorithm>

#include <atomic>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kSnmpd = "127.0.0.151";
constexpr const char* kScripted = "127.0.0.152";
constexpr const char* kSilent = "127.0.0.153";
const std::string kDescr = SensorPoll::kIfDescrColumn;

// Counters of the tests' own agent, SNMPv1 and SNMPv2c alike: 32-bit only (a
// v2c sensor falls back to them), interfaces found by name with GetBulk.
class TableAgent
{
public:
    struct Interface
    {
        int index;
        uint32_t in, out;
    };

    explicit TableAgent(const char* address) : m_agent(address) {}

    bool start(bool silent = false)
    {
        return m_agent.start([this, silent](const ScriptedAgent::Request& request) {
            std::lock_guard<std::mutex> lock(m_mutex);
            TSNMPRec rec;
            if (silent || m_deaf || !rec.Decode(request.bytes) || rec.VarBindCount() == 0)
                return std::vector<ScriptedAgent::Datagram>{};
            std::vector<AgentReply::Binding> bindings;
            if (rec.PDUType == BerTag::GetBulkRequest)
                bindings = walkDescr(rec.VarBind(0).Oid);
            else
                for (std::size_t i = 0; i < rec.VarBindCount(); ++i)
                    bindings.push_back(value(rec.VarBind(i).Oid));
            for (const AgentReply::Binding& b : bindings)
                if (rec.Version == 0 && b.type == BerTag::NoSuchInstance)
                    return std::vector<ScriptedAgent::Datagram>{}; // as a v1 agent of old
            const std::string reply = rec.Version == 0 ? AgentReply::response(rec.ID, bindings)
                                                       : AgentReply::responseV2c(rec.ID, bindings);
            return std::vector<ScriptedAgent::Datagram>{{reply, false, 0}};
        });
    }
    const std::string& error() const { return m_agent.error(); }

    // Ten seconds of the agent's time with `octets` in and a quarter out on
    // every interface, after the event of the step.
    void step(char event, uint32_t octets)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (event == 'R' || event == 'B') { // restarted: uptime and counters anew
            m_upTime = 500;
            for (Interface& i : m_interfaces)
                i.in = i.out = 10000;
        }
        if (event == 'M' || event == 'B') // renumbered, as after a module was plugged in
            for (Interface& i : m_interfaces)
                i.index += 10;
        m_upTime += 1000;
        for (Interface& i : m_interfaces) {
            i.in += octets;
            i.out += octets / 4;
        }
    }
    void setDeaf(bool deaf)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deaf = deaf;
    }
    // Interface `n` (counted from 1 as set up), its counters and the uptime in
    // seconds.
    std::tuple<uint64_t, uint64_t, double> counters(int n)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Interface& i = m_interfaces[std::size_t(n - 1)];
        return {i.in, i.out, m_upTime / 100.0};
    }

private:
    AgentReply::Binding value(const std::string& oid) const
    {
        if (oid == SensorPoll::kUpTimeOid)
            return {oid, BerTag::TimeTicks, AgentReply::unsigned32(m_upTime)};
        for (const Interface& i : m_interfaces) {
            const std::string n = std::to_string(i.index);
            if (oid == kDescr + "." + n)
                return {oid, BerTag::OctetString, "eth" + std::to_string(&i - &m_interfaces[0])};
            if (oid == SensorPoll::kInOctetsPrefix + n)
                return {oid, BerTag::Counter32, AgentReply::unsigned32(i.in)};
            if (oid == SensorPoll::kOutOctetsPrefix + n)
                return {oid, BerTag::Counter32, AgentReply::unsigned32(i.out)};
        }
        return {oid, BerTag::NoSuchInstance, ""};
    }
    // Every ifDescr row after `from`, then the next column's first row.
    std::vector<AgentReply::Binding> walkDescr(const std::string& from) const
    {
        if (from != kDescr && from.rfind(kDescr + ".", 0) != 0)
            return {};
        const int after = from == kDescr ? 0 : std::stoi(from.substr(kDescr.size() + 1));
        std::vector<AgentReply::Binding> rows;
        for (const Interface& i : m_interfaces)
            if (i.index > after)
                rows.push_back(value(kDescr + "." + std::to_string(i.index)));
        rows.push_back({"1.3.6.1.2.1.2.2.1.3.1", BerTag::Integer, "\x06"});
        return rows;
    }

    ScriptedAgent m_agent;
    std::mutex m_mutex;
    bool m_deaf = false;
    uint32_t m_upTime = 100000;
    // Just below the top of 32 bits: every row passes a wrap.
    std::vector<Interface> m_interfaces{{1, 4294000000u, 4294900000u}, {2, 4293000000u, 5000}};
};

// The program's own network with a local clock the test moves, so that a
// sensor timed by it (TimerToUse 1) reads the same seconds in the poll and in
// the log whatever the machine's load; it keeps every value an agent sent,
// by OID, for the test to compare with.
class SteppedClockNetwork : public ISnmpReader
{
public:
    using Seen = std::map<std::string, std::string>;

    TReadReply read(const TReadRequest& request) override
    {
        TReadReply reply = m_real.read(request);
        keep(request, reply);
        return reply;
    }
    bool readsTogether() const override { return true; }
    void readTogether(const std::vector<TReadRequest>& requests, const ReadEnded& ended) override
    {
        m_real.readTogether(requests, [&](std::size_t i, TReadReply reply, uint32_t, uint32_t) {
            keep(requests[i], reply);
            ended(i, std::move(reply), m_tick, m_tick);
        });
    }
    bool walk(const TReadRequest& column,
              std::vector<std::pair<std::string, std::string>>& rows) override
    {
        return m_real.walk(column, rows);
    }
    int pingRoundTrip(const std::string& host) override { return m_real.pingRoundTrip(host); }
    uint32_t tickCount() override { return m_tick; }
    void advance(uint32_t ms) { m_tick += ms; }
    // The values sent since the last call.
    Seen take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_seen, {});
    }

private:
    void keep(const std::string& oid, const std::string& value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen[oid] = value;
    }
    void keep(const TReadRequest& request, const TReadReply& reply)
    {
        for (std::size_t i = 0; i < request.oids.size(); ++i) {
            const SnmpValue* value = reply.valueAt(i);
            if (!value)
                continue;
            keep(request.oids[i], value->kind == ValueKind::Text ? value->text
                                  : value->kind == ValueKind::Integer
                                      ? std::to_string(*value->integer())
                                      : std::to_string(value->number));
        }
    }

    SnmpSensorNetwork m_real;
    std::atomic<uint32_t> m_tick{1000000};
    std::mutex m_mutex;
    Seen m_seen;
};

enum class Agent
{
    Scripted,
    Silent,
    Snmpd
};

struct SensorSetup
{
    int version; // 0 v1, 1 v2c, 3 v3
    Agent agent;
    int interface = 1; // of the scripted agent as set up; lo for net-snmp's
};

// One case: its sensors, one event a step (. traffic only, R agent restarted,
// M interface renumbered, B both, L the poll's replies lost) and, per sensor
// and step, what the poll and the log show: r the agent's rate, 0 a new
// baseline (0.0), e the error texts, - no log line.
struct MatrixRow
{
    const char* what;
    std::vector<SensorSetup> sensors;
    const char* events;
    std::vector<const char*> poll;
    std::vector<const char*> log;
};

const MatrixRow kRows[] = {
    {"v1 through a 32-bit wrap", {{0, Agent::Scripted}}, "....", {"0rrr"}, {"0rrr"}},
    {"v2c through a 32-bit wrap", {{1, Agent::Scripted}}, "....", {"0rrr"}, {"0rrr"}},
    {"v1, agent restarted", {{0, Agent::Scripted}}, "..R.", {"0r0r"}, {"0r0r"}},
    {"v2c, agent restarted", {{1, Agent::Scripted}}, "..R.", {"0r0r"}, {"0r0r"}},
    {"v2c, interface renumbered", {{1, Agent::Scripted}}, "..M..", {"0r0rr"}, {"0r0rr"}},
    {"v2c, renumbered by a restart", {{1, Agent::Scripted}}, "..B.", {"0r0r"}, {"0r0r"}},
    {"v1, a lost reply", {{0, Agent::Scripted}}, "..L.", {"0rer"}, {"0rrr"}},
    {"v2c, a lost reply", {{1, Agent::Scripted}}, "..L.", {"0rer"}, {"0rrr"}},
    {"a silent agent beside answering ones",
     {{0, Agent::Scripted}, {1, Agent::Scripted, 2}, {0, Agent::Silent}, {1, Agent::Silent}},
     "...",
     {"0rr", "0rr", "eee", "eee"},
     {"0rr", "0rr", "---", "---"}},
    {"v1 and v2c on one interface",
     {{0, Agent::Scripted}, {1, Agent::Scripted}},
     "...",
     {"0rr", "0rr"},
     {"0rr", "0rr"}},
    {"v2c on net-snmp", {{1, Agent::Snmpd}}, "...", {"0rr"}, {"0rr"}},
    {"v3 on net-snmp, restarted", {{3, Agent::Snmpd}}, "..R.", {"0r0r"}, {"0r0r"}},
    {"v1 and v3 on one interface of net-snmp",
     {{0, Agent::Snmpd}, {3, Agent::Snmpd}},
     "...",
     {"0rr", "0rr"},
     {"0rr", "0rr"}},
};

constexpr uint32_t kStepOctets = 2500000; // the scripted agent's, 250,000 B/s
constexpr std::size_t kSnmpdOctets = 2000000;

// What the test knows of one sensor's counters at a reading: the agent's.
struct Reading
{
    uint64_t down = 0, up = 0;
    double seconds = 0;
};

class ConsumersAgree : public MainFormFixture, public ::testing::WithParamInterface<MatrixRow>
{
protected:
    static void SetUpTestSuite()
    {
        s_snmpd = std::make_unique<SnmpdPeer>(kSnmpd);
        SnmpV3TestUsers::configure(*s_snmpd);
        s_started = s_snmpd->start();
    }
    static void TearDownTestSuite() { s_snmpd.reset(); }
    void SetUp() override
    {
        MainFormFixture::SetUp();
        REQUIRE_PEER(s_started, s_snmpd->error());
    }

    TSensorRecord sensorFor(const SensorSetup& setup, int n) const
    {
        const bool snmpd = setup.agent == Agent::Snmpd;
        TSensorRecord s = configuredSensor(snmpd                          ? kSnmpd
                                           : setup.agent == Agent::Silent ? kSilent
                                                                          : kScripted,
                                           "Sensor " + std::to_string(n));
        s.Community = SnmpdPeer::community();
        s.SnmpVersion = static_cast<TSnmpVersion>(setup.version);
        s.Sensor = std::to_string(setup.interface);
        s.SensorName = snmpd ? "lo" : "eth" + std::to_string(setup.interface - 1);
        s.DownSpeed = s.UpSpeed = 10'000'000; // 10 Gbit/s: every step is traffic it carries
        s.TimerToUse = snmpd ? TTimerToUse::LocalTickCount : TTimerToUse::AgentUpTime;
        if (setup.version == 3)
            s.V3 = SnmpV3TestUsers::kSha;
        return s;
    }

    // The agent's counters for a sensor: what the scripted agent holds, or
    // what net-snmp's sent in a poll or a log tick (`seen`).
    Reading agentCounters(const SensorSetup& setup, TableAgent& agent,
                          const SteppedClockNetwork::Seen& seen)
    {
        if (setup.agent != Agent::Snmpd) {
            const auto [down, up, seconds] = agent.counters(setup.interface);
            return {down, up, seconds};
        }
        const bool wide = setup.version != 0;
        const auto value = [&](const char* narrow, const char* high) -> uint64_t {
            const auto it = seen.find(std::string(wide ? high : narrow) + "1");
            return it == seen.end() ? 0 : std::stoull(it->second);
        };
        return {value(SensorPoll::kInOctetsPrefix, kIfHCInOctetsPrefix),
                value(SensorPoll::kOutOctetsPrefix, kIfHCOutOctetsPrefix),
                m_net->tickCount() / 1000.0};
    }

    // net-snmp reads the kernel's statistics again only every few seconds:
    // waiting for a new value lets it see the traffic just sent.
    static void freshlyRefreshed()
    {
        const auto down = [] {
            return runCommand({"snmpget", "-v2c", "-c", SnmpdPeer::community(), "-Oqv", kSnmpd,
                               std::string(kIfHCInOctetsPrefix) + "1"});
        };
        const std::string first = down();
        for (int i = 0; i < 40 && down() == first; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }

    std::shared_ptr<SteppedClockNetwork> m_net = std::make_shared<SteppedClockNetwork>();
    static std::unique_ptr<SnmpdPeer> s_snmpd;
    static bool s_started;
};
std::unique_ptr<SnmpdPeer> ConsumersAgree::s_snmpd;
bool ConsumersAgree::s_started = false;

// Log lines by host name since the last call.
class LogLines
{
public:
    explicit LogLines(std::string path) : m_path(std::move(path)) {}
    std::map<std::string, std::vector<std::string>> take()
    {
        std::ifstream in(m_path);
        in.seekg(m_read);
        std::map<std::string, std::vector<std::string>> lines;
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> fields;
            std::istringstream split(line);
            for (std::string f; std::getline(split, f, ';');)
                fields.push_back(f);
            if (fields.size() == 7)
                lines[fields[1]] = fields;
            m_read += std::streamoff(line.size() + 1);
        }
        return lines;
    }

private:
    std::string m_path;
    std::streamoff m_read = 0;
};

// Where the rate shown now is taken from: the last few changes' start, for
// every version (steady rates, as set by default: a transfer that runs on
// shows its average, not each refresh).
const Reading& since(const std::vector<Reading>& good, const SensorSetup&)
{
    const std::size_t back = std::min(kChangesAveraged, good.size());
    return good[good.size() - back];
}

uint64_t counterStep(uint64_t from, uint64_t to, int version, Agent agent)
{
    // 32-bit counters but where a newer version reads net-snmp's 64-bit ones.
    const bool wide = version != 0 && agent == Agent::Snmpd;
    return wide ? to - from : uint32_t(to - from);
}

TEST_P(ConsumersAgree, RateLabelsTrayHintTrafficLogAndUsageTotalsAgreeWithTheAgent)
{
    const MatrixRow& row = GetParam();
    TableAgent scripted(kScripted);
    TableAgent silent(kSilent);
    ASSERT_TRUE(scripted.start()) << scripted.error();
    ASSERT_TRUE(silent.start(true)) << silent.error();

    TMonitorSettings s = typicalSettings();
    s.EnableLog = true;
    s.LogType = TLogType::OneFile;
    s.LogTime = 1;
    s.LogSecMinType = TLogSecMinType::Seconds;
    s.LogFile = (m_root / "traffic.log").string();
    FileSecretStore keyring((m_root / "keyring").string());
    for (std::size_t i = 0; i < row.sensors.size(); ++i) {
        s.Sensors.push_back(sensorFor(row.sensors[i], int(i)));
        std::string error;
        const SnmpV3User& v3 = SnmpV3TestUsers::kSha;
        SensorSecrets(keyring).save(kSnmpd, v3.UserName, {v3.AuthPassword, v3.PrivPassword}, error);
    }
    s.resizeSensors(int32_t(s.Sensors.size()));
    seedStore(s);
    SnmpSensorStore::save(s);
    int64_t wallTime = 1767261600;
    TMainForm::Options options;
    options.network = m_net;
    options.startTimers = false;
    if (row.sensors[0].agent != Agent::Snmpd) // its uptime runs with the real clock
        options.wallClock = [&wallTime] { return wallTime; };
    options.keyring = std::make_shared<FileSecretStore>((m_root / "keyring").string());
    auto form = std::make_unique<TMainForm>(options);
    const std::string usagePath = form->usage().recorder().database()->path();
    LogLines log(s.LogFile);

    const std::size_t n = row.sensors.size();
    // Good readings since the last baseline, of the poll and of the log.
    std::vector<std::vector<Reading>> polls(n), logs(n);
    std::vector<uint64_t> totalDown(n), totalUp(n);
    const SensorPresenter texts;
    for (std::size_t k = 0; row.events[k]; ++k) {
        const char event = row.events[k];
        SCOPED_TRACE("step " + std::to_string(k) + " " + event);
        if (k > 0) {
            scripted.step(event, kStepOctets);
            if (row.sensors[0].agent == Agent::Snmpd) {
                if (event == 'R') {
                    ASSERT_TRUE(s_snmpd->restart()) << s_snmpd->error();
                }
                ASSERT_TRUE(sendLoopbackOctets(kSnmpd, kSnmpdOctets));
                freshlyRefreshed();
            }
            m_net->advance(4000);
            wallTime += 10;
        }
        scripted.setDeaf(event == 'L');
        form->UpdateAllMonitors();
        form->networkJobs().settle();
        scripted.setDeaf(false);
        const SteppedClockNetwork::Seen polledValues = m_net->take();
        QElapsedTimer logClock;
        logClock.start();
        form->LogTimerTimer();
        form->networkJobs().settle();
        const auto lines = log.take();
        const SteppedClockNetwork::Seen loggedValues = m_net->take();
        if (row.sensors.back().agent == Agent::Silent) {
            EXPECT_LT(logClock.elapsed(), 2500) << "the answering sensors' lines on time";
        }

        for (std::size_t i = 0; i < n; ++i) {
            const SensorSetup& setup = row.sensors[i];
            const TSensorRecord& sensor = form->settings().Sensors[i];
            SCOPED_TRACE(sensor.HostName);
            const Reading now = agentCounters(setup, scripted, polledValues);
            const auto rateOf = [&](const Reading& from, const Reading& now) {
                const double seconds = now.seconds - from.seconds;
                return std::pair<double, double>{
                    counterStep(from.down, now.down, setup.version, setup.agent) / seconds,
                    counterStep(from.up, now.up, setup.version, setup.agent) / seconds};
            };
            // The poll: labels and the tray hint.
            const char polled = row.poll[i][k];
            std::pair<std::string, std::string> label{"Error on DL sensor", "Error on UL sensor"};
            if (polled != 'e') {
                const auto rate =
                    polled == 'r' ? rateOf(since(polls[i], setup), now) : std::pair{0.0, 0.0};
                label = {texts.downText(rate.first), texts.upText(rate.second)};
                if (polled == 'r') {
                    const Reading& last = polls[i].back();
                    totalDown[i] += counterStep(last.down, now.down, setup.version, setup.agent);
                    totalUp[i] += counterStep(last.up, now.up, setup.version, setup.agent);
                } else {
                    polls[i].clear();
                }
                polls[i].push_back(now);
            }
            TSensorControls* c = form->sensorControls(int(i));
            EXPECT_EQ(c->DownLabel->text().toStdString(), label.first);
            EXPECT_EQ(c->UpLabel->text().toStdString(), label.second);
            EXPECT_NE(form->trayHint().find("\n\r" + sensor.HostName + " -> " + label.first +
                                            " | " + label.second),
                      std::string::npos)
                << form->trayHint();
            // The log: its own baseline, the same counters, the label's digits.
            const char logged = row.log[i][k];
            const auto line = lines.find(sensor.HostName);
            EXPECT_EQ(line != lines.end(), logged != '-');
            if (logged == '-' || line == lines.end())
                continue;
            const Reading read = agentCounters(setup, scripted, loggedValues);
            const auto rate =
                logged == 'r' ? rateOf(since(logs[i], setup), read) : std::pair{0.0, 0.0};
            if (logged != 'r')
                logs[i].clear();
            logs[i].push_back(read);
            EXPECT_EQ("DL: " + line->second[4] + " kb/s", texts.downText(rate.first));
            EXPECT_EQ("UL: " + line->second[6] + " kb/s", texts.upText(rate.second));
            if (polled == 'r' && logged == 'r') {
                EXPECT_EQ("DL: " + line->second[4] + " kb/s", label.first);
            }
        }
    }
    // A sensor that followed its interface to another index keeps one total:
    // the old index's history moved to the new key, and the old key is gone.
    std::vector<std::string> before(n), after(n);
    for (std::size_t i = 0; i < n; ++i) {
        before[i] = UsageSensors::sensorKey(s.Sensors[i]);
        after[i] = UsageSensors::sensorKey(form->settings().Sensors[i]);
    }
    form.reset(); // the exit writes what the last minute gathered
    const auto db = TUsageDatabase::openForReading(usagePath);
    ASSERT_NE(db, nullptr);
    std::vector<std::string> stored;
    for (const TUsageSensor& u : db->sensors())
        stored.push_back(u.key);
    for (std::size_t i = 0; i < n; ++i) {
        const TOctets total = db->total(after[i], 0, 99999999);
        const bool moved = before[i] != after[i];
        EXPECT_EQ(std::count(stored.begin(), stored.end(), before[i]), moved ? 0 : 1) << before[i];
        EXPECT_EQ(total.down, totalDown[i]) << s.Sensors[i].HostName << " " << after[i];
        EXPECT_EQ(total.up, totalUp[i]) << s.Sensors[i].HostName;
    }
}

INSTANTIATE_TEST_SUITE_P(Matrix, ConsumersAgree, ::testing::ValuesIn(kRows), [](const auto& info) {
    std::string name;
    for (const char c : std::string(info.param.what))
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
});

} // namespace
