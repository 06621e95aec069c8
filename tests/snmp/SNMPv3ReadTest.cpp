// Version-3 reads against net-snmp's agent, configured with the users below in
// the test's own files, compared with what net-snmp's snmpget reads.
#include "SNMPv3Read.h"
#include "BerTag.h"
#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "SnmpV3TestUsers.h"
#include "SnmpdPeer.h"
#include "SnmpsimPeer.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr const char* kAgent = "127.0.0.181";
constexpr const char* kRestartedAgent = "127.0.0.182";
constexpr const char* kSimulator = "127.0.0.186";

constexpr const char* kUpTime = "1.3.6.1.2.1.1.3.0";
constexpr const char* kSysDescr = "1.3.6.1.2.1.1.1.0";
constexpr const char* kSysObjectId = "1.3.6.1.2.1.1.2.0";
constexpr const char* kSysName = "1.3.6.1.2.1.1.5.0";
constexpr const char* kInOctets = "1.3.6.1.2.1.2.2.1.10.1";
constexpr const char* kOutOctets = "1.3.6.1.2.1.2.2.1.16.1";

using namespace SnmpV3TestUsers;

void configureUsers(SnmpdPeer& agent)
{
    configure(agent);
}

// snmpget -v3 as the same user: the value alone, numbers as numbers.
std::string referenceGet(const SnmpV3User& user, const std::string& oid, bool& ok,
                         const char* agent = kAgent)
{
    std::vector<std::string> argv{"snmpget"};
    for (const std::string& arg : commandLine(user))
        argv.push_back(arg);
    argv.insert(argv.end(), {"-t", "2", "-r", "0", "-On", "-Oqv", "-Ot", "-Oe"});
    argv.insert(argv.end(), {agent, oid});
    int status = -1;
    std::string out = runCommand(argv, &status);
    ok = status == 0;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    if (out.size() >= 2 && out.front() == '"' && out.back() == '"')
        out = out.substr(1, out.size() - 2);
    if (!out.empty() && out.front() == '.')
        out.erase(0, 1);
    return out;
}

std::uint64_t referenceNumber(const SnmpV3User& user, const std::string& oid)
{
    bool ok = false;
    const std::string text = referenceGet(user, oid, ok);
    EXPECT_TRUE(ok) << "snmpget failed for " << user.UserName << " " << oid << ": " << text;
    return ok ? std::stoull(text) : 0;
}

class V3AgainstSnmpd : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_agent = std::make_unique<SnmpdPeer>(kAgent);
        configureUsers(*s_agent);
        s_started = s_agent->start();
    }
    static void TearDownTestSuite() { s_agent.reset(); }
    void SetUp() override { REQUIRE_PEER(s_started, s_agent->error()); }

    static std::unique_ptr<SnmpdPeer> s_agent;
    static bool s_started;
};
std::unique_ptr<SnmpdPeer> V3AgainstSnmpd::s_agent;
bool V3AgainstSnmpd::s_started = false;

TEST_F(V3AgainstSnmpd, EveryUserAndLevelReadsWhatSnmpgetReads)
{
    for (const SnmpV3User& user : {kSha, kSha256, kMd5, kShaAuthOnly, kNoAuth}) {
        SCOPED_TRACE(user.UserName);
        SnmpEngineCache cache;
        // Static objects must be equal byte for byte.
        const SnmpV3Result system =
            SNMPv3Get({kSysName, kSysDescr, kSysObjectId}, user, kAgent, cache);
        ASSERT_TRUE(system.ok()) << snmpV3OutcomeText(system.Outcome, user.UserName, system.Detail);
        ASSERT_EQ(system.VarBinds.size(), 3u);
        for (const SnmpBinding& bind : system.VarBinds) {
            bool ok = false;
            EXPECT_EQ(bind.Value, referenceGet(user, bind.Oid, ok)) << bind.Oid;
            EXPECT_TRUE(ok);
        }
        EXPECT_EQ(system.VarBinds[0].Value, SnmpdPeer::sysName());
        // A first request finds the engine: discovery, then the get.
        EXPECT_EQ(system.RoundTrips, 2);

        // Moving values lie between two reference reads around ours; three
        // bindings in one request.
        const std::uint64_t upBefore = referenceNumber(user, kUpTime);
        const std::uint64_t inBefore = referenceNumber(user, kInOctets);
        const SnmpV3Result poll = SNMPv3Get({kUpTime, kInOctets, kOutOctets}, user, kAgent, cache);
        const std::uint64_t upAfter = referenceNumber(user, kUpTime);
        const std::uint64_t inAfter = referenceNumber(user, kInOctets);
        ASSERT_TRUE(poll.ok()) << snmpV3OutcomeText(poll.Outcome, user.UserName, poll.Detail);
        EXPECT_EQ(poll.RoundTrips, 1) << "the engine should have been kept";
        ASSERT_EQ(poll.VarBinds.size(), 3u);
        EXPECT_EQ(poll.VarBinds[0].ValueType, BerTag::TimeTicks);
        EXPECT_GE(poll.VarBinds[0].Number, upBefore);
        EXPECT_LE(poll.VarBinds[0].Number, upAfter);
        EXPECT_EQ(poll.VarBinds[1].ValueType, BerTag::Counter32);
        EXPECT_GE(poll.VarBinds[1].Number, inBefore);
        EXPECT_LE(poll.VarBinds[1].Number, inAfter);
        EXPECT_EQ(poll.VarBinds[1].Value,
                  std::to_string(static_cast<std::int32_t>(poll.VarBinds[1].Number)));
    }
}

TEST_F(V3AgainstSnmpd, MissingObjectIsAnExceptionNotAValue)
{
    SnmpEngineCache cache;
    const SnmpV3Result result = SNMPv3Get({kSysName, "1.3.6.1.2.1.1.5.99"}, kSha, kAgent, cache);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.VarBinds.size(), 2u);
    EXPECT_TRUE(result.VarBinds[0].hasValue());
    EXPECT_TRUE(result.VarBinds[1].isException());
    EXPECT_FALSE(result.VarBinds[1].hasValue());
}

TEST_F(V3AgainstSnmpd, FailuresBecomeTheirOwnOutcomeAndNoValue)
{
    SnmpV3User wrongAuthPassword = kSha;
    wrongAuthPassword.AuthPassword = "notThePassword";
    SnmpV3User wrongAuthProtocol = kSha256;
    wrongAuthProtocol.Auth = AuthProtocol::SHA1;
    SnmpV3User wrongPrivPassword = kSha;
    wrongPrivPassword.PrivPassword = "notThePrivPass";
    SnmpV3User unknownUser = kSha;
    unknownUser.UserName = "nobodyHere";
    SnmpV3User levelTheUserLacks = kNoAuth;
    levelTheUserLacks.Level = SecurityLevel::AuthNoPriv;
    levelTheUserLacks.Auth = AuthProtocol::SHA1;
    levelTheUserLacks.AuthPassword = "anyPassword1";
    SnmpV3User levelTheViewRefuses = kSha;
    levelTheViewRefuses.Level = SecurityLevel::AuthNoPriv;

    const struct
    {
        const char* name;
        SnmpV3User user;
        SnmpV3Outcome expected;
    } cases[] = {
        {"wrong authentication password", wrongAuthPassword, SnmpV3Outcome::WrongDigests},
        {"wrong authentication protocol", wrongAuthProtocol, SnmpV3Outcome::WrongDigests},
        {"wrong privacy password", wrongPrivPassword, SnmpV3Outcome::DecryptionErrors},
        {"unknown user", unknownUser, SnmpV3Outcome::UnknownUserName},
        {"level the user has no keys for", levelTheUserLacks, SnmpV3Outcome::UnsupportedSecLevel},
        {"level below the access rule", levelTheViewRefuses, SnmpV3Outcome::AgentError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SnmpEngineCache cache;
        const SnmpV3Result result =
            SNMPv3Get({kUpTime, kInOctets, kOutOctets}, c.user, kAgent, cache);
        EXPECT_EQ(result.Outcome, c.expected)
            << snmpV3OutcomeText(result.Outcome, c.user.UserName, result.Detail);
        EXPECT_TRUE(result.VarBinds.empty());
    }
    // The text names the user and says what to check.
    EXPECT_EQ(snmpV3OutcomeText(SnmpV3Outcome::WrongDigests, "shaUser"),
              "Authentication failed: wrong password or authentication protocol for user "
              "\"shaUser\"");
}

TEST_F(V3AgainstSnmpd, WalkByBulkEqualsSnmpbulkwalk)
{
    SnmpEngineCache cache;
    const SnmpV3Result walk = SNMPv3Walk("1.3.6.1.2.1.2.2.1.2", kSha256, kAgent, cache, 100, 3);
    ASSERT_TRUE(walk.ok()) << snmpV3OutcomeText(walk.Outcome, kSha256.UserName, walk.Detail);
    int status = -1;
    const std::string reference =
        runCommand({"snmpbulkwalk", "-v3", "-l", "authPriv", "-u", "sha256User", "-a", "SHA-256",
                    "-A", "sha256AuthPass", "-x", "AES", "-X", "sha256PrivPass", "-On", "-Oq",
                    "-Cr3", kAgent, "1.3.6.1.2.1.2.2.1.2"},
                   &status);
    ASSERT_EQ(status, 0);
    std::string ours;
    for (const SnmpBinding& bind : walk.VarBinds)
        ours += "." + bind.Oid + " \"" + bind.Value + "\"\n";
    EXPECT_FALSE(walk.VarBinds.empty());
    EXPECT_EQ(ours, reference);
}

TEST_F(V3AgainstSnmpd, GetNextGivesTheFollowingObject)
{
    SnmpEngineCache cache;
    const SnmpV3Result next = SNMPv3GetNext("1.3.6.1.2.1.1.5", kMd5, kAgent, cache);
    ASSERT_TRUE(next.ok()) << snmpV3OutcomeText(next.Outcome, kMd5.UserName, next.Detail);
    ASSERT_EQ(next.VarBinds.size(), 1u);
    EXPECT_EQ(next.VarBinds[0].Oid, kSysName);
    EXPECT_EQ(next.VarBinds[0].Value, SnmpdPeer::sysName());
}

TEST(V3RestartedAgent, NewBootsAreTakenAfterOneResynchronisation)
{
    SnmpdPeer agent(kRestartedAgent);
    configureUsers(agent);
    REQUIRE_PEER(agent.start(), agent.error());
    SnmpEngineCache cache;
    const SnmpV3Result first = SNMPv3Get({kUpTime}, kSha, kRestartedAgent, cache);
    ASSERT_TRUE(first.ok());
    EXPECT_FALSE(first.EngineRebooted);
    const SnmpEngineState* engine = cache.find(std::string(kRestartedAgent) + "|161");
    ASSERT_NE(engine, nullptr);
    const std::uint32_t bootsBefore = engine->Boots;

    ASSERT_TRUE(agent.restart()) << agent.error();
    const SnmpV3Result after = SNMPv3Get({kUpTime, kInOctets}, kSha, kRestartedAgent, cache);
    ASSERT_TRUE(after.ok()) << snmpV3OutcomeText(after.Outcome, kSha.UserName, after.Detail);
    EXPECT_TRUE(after.EngineRebooted);
    // The notInTimeWindow report and the request again; the report is no value.
    EXPECT_EQ(after.RoundTrips, 2);
    ASSERT_EQ(after.VarBinds.size(), 2u);
    EXPECT_EQ(after.VarBinds[0].Oid, kUpTime);
    engine = cache.find(std::string(kRestartedAgent) + "|161");
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->Boots, bootsBefore + 1);
}

// A second agent implementation: the simulator pads the scoped PDU it
// encrypts with AES to whole blocks, which snmpget takes and so must we.
TEST(V3AgainstSnmpsim, ReadsWhatSnmpgetReadsFromAPaddingAgent)
{
    SnmpsimPeer simulator(kSimulator);
    REQUIRE_PEER(simulator.start(), simulator.error());
    const SnmpV3User& user = SnmpsimPeer::user();
    SnmpEngineCache cache;
    const std::vector<std::string> oids{kSysName, "1.3.6.1.2.1.2.2.1.2.1", kInOctets,
                                        "1.3.6.1.2.1.31.1.1.1.10.1"};
    const SnmpV3Result result = SNMPv3Get(oids, user, kSimulator, cache);
    ASSERT_TRUE(result.ok()) << snmpV3OutcomeText(result.Outcome, user.UserName, result.Detail);
    ASSERT_EQ(result.VarBinds.size(), 4u);
    EXPECT_EQ(result.VarBinds[0].Value, SnmpsimPeer::sysName());
    EXPECT_EQ(result.VarBinds[1].Value, SnmpsimPeer::ifDescr1());
    EXPECT_EQ(result.VarBinds[2].ValueType, BerTag::Counter32);
    EXPECT_EQ(result.VarBinds[2].Number, SnmpsimPeer::ifInOctets1());
    EXPECT_EQ(result.VarBinds[3].ValueType, BerTag::Counter64);
    EXPECT_EQ(result.VarBinds[3].Number, SnmpsimPeer::ifHCOutOctets1());
    for (const SnmpBinding& bind : result.VarBinds) {
        bool ok = false;
        const std::string reference = referenceGet(user, bind.Oid, ok, kSimulator);
        EXPECT_TRUE(ok) << bind.Oid;
        EXPECT_EQ(bind.isUnsigned() ? std::to_string(bind.Number) : bind.Value, reference)
            << bind.Oid;
    }
    // The engine is kept: the next read is one round trip, and a walk ends.
    const SnmpV3Result again = SNMPv3Get({kInOctets}, user, kSimulator, cache);
    ASSERT_TRUE(again.ok()) << snmpV3OutcomeText(again.Outcome, user.UserName, again.Detail);
    EXPECT_EQ(again.RoundTrips, 1);
    const SnmpV3Result walk = SNMPv3Walk("1.3.6.1.2.1.2.2.1.2", user, kSimulator, cache);
    ASSERT_TRUE(walk.ok()) << snmpV3OutcomeText(walk.Outcome, user.UserName, walk.Detail);
    ASSERT_EQ(walk.VarBinds.size(), 1u);
    EXPECT_EQ(walk.VarBinds[0].Value, SnmpsimPeer::ifDescr1());
}

} // namespace
