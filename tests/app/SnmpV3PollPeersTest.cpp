// SNMPv3 sensors polled through the program's own network against net-snmp's
// agent with the users below in the test's own configuration: the values are
// what snmpget -v3 reads, every refusal says why and gives no value, a
// restarted agent is a new baseline, and a silent agent holds up nobody
// else's reads.

#include "SNMPRead.h"
#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "SnmpSensorNetwork.h"

#include "ChildProcess.h"
#include "InterfaceCounters.h"
#include "LoopbackOctets.h"
#include "PeerRequirement.h"
#include "SnmpV3TestUsers.h"
#include "SnmpdPeer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kAgent = "127.0.0.201";
constexpr const char* kSilentAgent = "127.0.0.202";
constexpr const char* kRestartedAgent = "127.0.0.203";

using namespace SnmpV3TestUsers;

// snmpget -v3 as the user of the loopback interface's uptime and 64-bit
// counters.
std::vector<uint64_t> snmpget(const SnmpV3User& user, const char* agent)
{
    std::vector<std::string> argv{"snmpget"};
    for (const std::string& arg : commandLine(user))
        argv.push_back(arg);
    argv.insert(argv.end(),
                {"-On", "-Oq", "-Ot", "-t", "2", "-r", "0", agent, SensorPoll::kUpTimeOid,
                 std::string(kIfHCInOctetsPrefix) + "1", std::string(kIfHCOutOctetsPrefix) + "1"});
    int status = -1;
    const std::string out = runCommand(argv, &status);
    EXPECT_EQ(status, 0) << out;
    std::vector<uint64_t> values;
    std::istringstream in(out);
    for (std::string oid, value; in >> oid >> value;)
        values.push_back(std::stoull(value));
    EXPECT_EQ(values.size(), 3u) << out;
    values.resize(3);
    return values;
}

TSensorRecord loopbackSensor(const char* agent, const SnmpV3User& user)
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostName = "agent";
    sensor.HostIP = agent;
    sensor.Sensor = "1";
    sensor.SensorName = "lo";
    sensor.SnmpVersion = SensorPoll::kSnmpVersion3;
    sensor.V3 = user;
    SensorPoll::buildCounterOids(sensor);
    return sensor;
}

SensorPoll::TPollResult poll(TSensorRecord& sensor, ISnmpReader& network)
{
    return SensorPoll::applyReading(
        sensor, SensorPoll::readSensor(SensorPoll::targetOf(sensor, false), network));
}

class V3PollAgainstSnmpd : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_agent = std::make_unique<SnmpdPeer>(kAgent);
        configure(*s_agent);
        s_started = s_agent->start();
    }
    static void TearDownTestSuite() { s_agent.reset(); }
    void SetUp() override { REQUIRE_PEER(s_started, s_agent->error()); }

    SnmpSensorNetwork m_net;
    static std::unique_ptr<SnmpdPeer> s_agent;
    static bool s_started;
};
std::unique_ptr<SnmpdPeer> V3PollAgainstSnmpd::s_agent;
bool V3PollAgainstSnmpd::s_started = false;

// Each user's poll reads the agent's own 64-bit counters and uptime, between
// two reads of snmpget -v3; one request per poll once the agent is known.
TEST_F(V3PollAgainstSnmpd, EveryUserReadsWhatSnmpgetReads)
{
    for (const SnmpV3User& user : {kSha, kSha256, kMd5, kNoAuth}) {
        SCOPED_TRACE(user.UserName);
        TSensorRecord sensor = loopbackSensor(kAgent, user);
        for (int n = 0; n < 2; ++n) {
            const std::vector<uint64_t> before = snmpget(user, kAgent);
            const SensorPoll::TPollResult result = poll(sensor, m_net);
            const std::vector<uint64_t> after = snmpget(user, kAgent);
            ASSERT_TRUE(result.replied) << result.failure;
            EXPECT_TRUE(sensor.HighCapacity);
            const uint64_t read[] = {uint64_t(sensor.LastAgentUpTime),
                                     sensor.GraphSeries.last().down, sensor.GraphSeries.last().up};
            for (std::size_t i = 0; i < 3; ++i) {
                SCOPED_TRACE(i);
                EXPECT_LE(before[i], read[i]);
                EXPECT_LE(read[i], after[i]);
            }
        }
    }
}

// The datagrams the agent has received, as it counts them (snmpInPkts).
double agentPackets()
{
    std::string value;
    EXPECT_TRUE(SNMPReadValue("1.3.6.1.2.1.11.1.0", SnmpdPeer::community(), kAgent, value));
    return std::strtod(value.c_str(), nullptr);
}

// Only the first read of an agent finds its engine: a sensor's first poll
// checks its interface's name and reads its counters, a later one reads the
// counters alone, and another user's sensor on the same agent needs no
// discovery of its own.
TEST_F(V3PollAgainstSnmpd, OnlyTheFirstReadFindsTheEngine)
{
    SnmpSensorNetwork fresh;
    TSensorRecord first = loopbackSensor(kAgent, kSha256);
    TSensorRecord second = loopbackSensor(kAgent, kMd5);
    std::vector<double> datagrams;
    for (TSensorRecord* sensor : {&first, &first, &second, &first}) {
        const double before = agentPackets();
        ASSERT_TRUE(poll(*sensor, fresh).replied);
        // Less the count's own read.
        datagrams.push_back(agentPackets() - before - 1);
    }
    // Discovery, name, counters; counters; name, counters; counters.
    EXPECT_EQ(datagrams, (std::vector<double>{3, 1, 2, 1}));
}

// A sensor whose number is not its interface's finds it by name: the agent's
// "no such instance" is no name, and the walk of the names is version 3 too.
TEST_F(V3PollAgainstSnmpd, InterfaceIsFoundByNameWithAVersion3Walk)
{
    TSensorRecord moved = loopbackSensor(kAgent, kSha256);
    moved.Sensor = "4242";
    SensorPoll::buildCounterOids(moved);
    const SensorPoll::TPollResult found = poll(moved, m_net);
    EXPECT_TRUE(found.replied) << found.failure;
    EXPECT_TRUE(found.storeChanged);
    EXPECT_EQ(moved.Sensor, "1");
    EXPECT_TRUE(moved.HighCapacity);
}

// Wrong settings each give their own reason in the title's tool tip and the
// error texts, and no value.
TEST_F(V3PollAgainstSnmpd, RefusalsSayWhyAndGiveNoValue)
{
    SnmpV3User wrongPassword = kSha;
    wrongPassword.AuthPassword = "notThePassword";
    SnmpV3User wrongPrivPassword = kSha256;
    wrongPrivPassword.PrivPassword = "notThePrivPass";
    SnmpV3User unknownUser = kSha;
    unknownUser.UserName = "nobodyHere";
    SnmpV3User levelWithoutKeys = kNoAuth;
    levelWithoutKeys.Level = SecurityLevel::AuthNoPriv;
    levelWithoutKeys.Auth = AuthProtocol::SHA1;
    levelWithoutKeys.AuthPassword = "anyPassword1";
    SnmpV3User levelBelowTheRule = kSha;
    levelBelowTheRule.Level = SecurityLevel::AuthNoPriv;
    const struct
    {
        const char* what;
        SnmpV3User user;
        const char* reason; // how the text starts; it names the user too
    } cases[] = {
        {"wrong password", wrongPassword, "Authentication failed: wrong password"},
        {"wrong privacy password", wrongPrivPassword, "Decryption failed: wrong privacy password"},
        {"wrong user", unknownUser, "Unknown user: the agent has no SNMPv3 user"},
        {"level the user has no keys for", levelWithoutKeys, "Security level not supported"},
        {"level below the access rule", levelBelowTheRule, "Access denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSensorRecord sensor = loopbackSensor(kAgent, c.user);
        const SensorPoll::TPollResult result = poll(sensor, m_net);
        EXPECT_FALSE(result.replied);
        EXPECT_EQ(result.downText, "Error on DL sensor");
        EXPECT_EQ(result.upText, "Error on UL sensor");
        const auto tip = SensorPoll::titleToolTip(result);
        ASSERT_TRUE(tip.has_value());
        EXPECT_EQ(tip->rfind(c.reason, 0), 0u) << *tip;
        EXPECT_NE(tip->find("\"" + c.user.UserName + "\""), std::string::npos) << *tip;
        EXPECT_FALSE(sensor.GraphSeries.hasBaseline());
        EXPECT_EQ(sensor.LastAgentUpTime, -1);
    }
}

// A UDP port that takes requests and never answers.
class SilentAgent
{
public:
    explicit SilentAgent(const char* address)
    {
        m_fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(161);
        inet_pton(AF_INET, address, &at.sin_addr);
        m_bound = m_fd >= 0 && bind(m_fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    }
    ~SilentAgent() { close(m_fd); }
    bool bound() const { return m_bound; }
    // True once a request has come in (within timeoutMs).
    bool requestCame(int timeoutMs)
    {
        pollfd entry{m_fd, POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) == 1;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
};

// While one network thread waits out a silent SNMPv3 agent, another reads an
// answering one: the engine cache they share is not held across the wait.
TEST_F(V3PollAgainstSnmpd, SilentAgentHoldsUpNoOtherRead)
{
    SilentAgent silent(kSilentAgent);
    REQUIRE_PEER(silent.bound(), std::string("cannot bind UDP port 161 on ") + kSilentAgent);
    const TReadRequest silentRequest{kSilentAgent, "", {SensorPoll::kUpTimeOid}, 3, kSha};
    const TReadRequest answeringRequest{kAgent, "", {SensorPoll::kUpTimeOid}, 3, kSha256};

    std::atomic<bool> silentDone{false};
    TReadReply silentReply;
    std::thread waiting([&] {
        silentReply = m_net.read(silentRequest);
        silentDone = true;
    });
    ASSERT_TRUE(silent.requestCame(3000));
    const TReadReply answered = m_net.read(answeringRequest);
    const bool silentStillWaiting = !silentDone;
    waiting.join();

    EXPECT_TRUE(answered.answered) << answered.failure;
    EXPECT_TRUE(silentStillWaiting) << "the answering agent's read waited for the silent one";
    EXPECT_FALSE(silentReply.answered);
    EXPECT_EQ(silentReply.failure, "Host did not reply");
}

// After the agent restarted (its engine boots went up) the next poll is a new
// baseline, not a rate across the restart, and the sensor goes on polling.
TEST(V3PollRestartedAgent, RestartIsANewBaseline)
{
    SnmpdPeer agent(kRestartedAgent);
    configure(agent);
    REQUIRE_PEER(agent.start(), agent.error());
    SnmpSensorNetwork net;
    TSensorRecord sensor = loopbackSensor(kRestartedAgent, kSha);
    // The local clock keeps time going forward across the restart, so only
    // the restart itself can make the poll a baseline.
    sensor.TimerToUse = 1;
    ASSERT_TRUE(poll(sensor, net).replied);
    const auto engine = net.engines().engine(kRestartedAgent);
    ASSERT_TRUE(engine.has_value());

    ASSERT_TRUE(sendLoopbackOctets(kRestartedAgent, 2000000));
    ASSERT_TRUE(agent.restart()) << agent.error();
    const SensorPoll::TPollResult afterRestart = poll(sensor, net);
    ASSERT_TRUE(afterRestart.replied) << afterRestart.failure;
    EXPECT_EQ(afterRestart.downRate, 0);
    EXPECT_EQ(afterRestart.upRate, 0);
    const auto rebooted = net.engines().engine(kRestartedAgent);
    ASSERT_TRUE(rebooted.has_value());
    EXPECT_EQ(rebooted->Boots, engine->Boots + 1);

    const SensorPoll::TPollResult next = poll(sensor, net);
    EXPECT_TRUE(next.replied) << next.failure;
}

} // namespace
