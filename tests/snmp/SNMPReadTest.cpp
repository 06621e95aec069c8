#include "SNMPRead.h"
#include "Ber.h"
#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SnmpdPeer.h"
#include "TSNMPSend.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>

namespace {

// Loopback addresses of this suite's own.
constexpr const char* kSnmpdAddress = "127.0.0.21";
constexpr const char* kScriptedAddress = "127.0.0.22";
constexpr const char* kStrangerAddress = "127.0.0.23";
constexpr const char* kNobodyAddress = "127.0.0.24";

constexpr const char* kUpTime = "1.3.6.1.2.1.1.3.0";

using Clock = std::chrono::steady_clock;
long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

bool isDecimal(const std::string& text)
{
    if (text.empty())
        return false;
    for (std::size_t i = text[0] == '-' ? 1 : 0; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// ---------------------------------------------------------------- real agent

class AgainstSnmpd : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_agent = std::make_unique<SnmpdPeer>(kSnmpdAddress);
        s_started = s_agent->start();
    }
    static void TearDownTestSuite() { s_agent.reset(); }
    void SetUp() override { REQUIRE_PEER(s_started, s_agent->error()); }

    static std::unique_ptr<SnmpdPeer> s_agent;
    static bool s_started;
};
std::unique_ptr<SnmpdPeer> AgainstSnmpd::s_agent;
bool AgainstSnmpd::s_started = false;

TEST_F(AgainstSnmpd, ReadsUpTimeAndSysNameAndAnswersNoSuchNameWithEmptyText)
{
    std::string value = "stale";
    ASSERT_TRUE(SNMPReadValue(kUpTime, "vandor", kSnmpdAddress, value));
    EXPECT_TRUE(isDecimal(value)) << value;

    ASSERT_TRUE(SNMPReadValue("1.3.6.1.2.1.1.5.0", "vandor", kSnmpdAddress, value));
    EXPECT_EQ(value, SnmpdPeer::sysName());

    // Not an instance: the agent answers noSuchName, which is still an answer.
    value = "stale";
    EXPECT_TRUE(SNMPReadValue("1.3.6.1.2.1.1.3", "vandor", kSnmpdAddress, value));
    EXPECT_EQ(value, "");

    // With a leading dot a different OID goes out, and nothing matches it.
    value = "stale";
    EXPECT_TRUE(SNMPReadValue(".1.3.6.1.2.1.1.3.0", "vandor", kSnmpdAddress, value));
    EXPECT_EQ(value, "");
}

// The interface table walked with get-next, bounded by ifNumber, is what
// net-snmp's own snmpwalk sees on the same agent.
TEST_F(AgainstSnmpd, InterfaceTableWalkMatchesSnmpwalk)
{
    std::string count;
    ASSERT_TRUE(SNMPReadValue("1.3.6.1.2.1.2.1.0", "vandor", kSnmpdAddress, count));
    ASSERT_TRUE(isDecimal(count)) << count;
    const int interfaces = std::stoi(count);
    ASSERT_GT(interfaces, 0);

    std::vector<std::pair<std::string, std::string>> ours;
    std::string oid = "1.3.6.1.2.1.2.2.1";
    // Columns 1 to 22 of each row, plus one step past the table's end.
    for (int step = 0; step < 22 * interfaces + 1; ++step) {
        std::string value;
        ASSERT_TRUE(SNMPReadNext(oid, "vandor", kSnmpdAddress, value));
        if (oid.rfind("1.3.6.1.2.1.2.2.1.", 0) != 0)
            break;
        ours.emplace_back(oid, value);
    }

    int status = -1;
    const std::string walk = runCommand({"snmpwalk", "-v1", "-c", "vandor", "-On", "-Oq", "-Ot",
                                         "-Oe", kSnmpdAddress, "1.3.6.1.2.1.2.2.1"},
                                        &status);
    ASSERT_EQ(status, 0);
    std::vector<std::pair<std::string, std::string>> theirs;
    std::istringstream lines(walk);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t space = line.find(' ');
        ASSERT_NE(space, std::string::npos) << line;
        std::string value = line.substr(space + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        theirs.emplace_back(line.substr(1, space - 1), value); // without the leading dot
    }

    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        EXPECT_EQ(ours[i].first, theirs[i].first);
        const int column =
            std::stoi(ours[i].first.substr(std::string("1.3.6.1.2.1.2.2.1.").size()));
        // Index, description, type, MTU, admin and oper status do not move;
        // the counters do, between the two walks.
        if (column == 1 || column == 2 || column == 3 || column == 4 || column == 7 ||
            column == 8) {
            EXPECT_EQ(ours[i].second, theirs[i].second) << ours[i].first;
        } else if (column >= 10 && column <= 21) {
            EXPECT_TRUE(isDecimal(ours[i].second)) << ours[i].first << " " << ours[i].second;
        }
    }
}

TEST_F(AgainstSnmpd, WrongCommunityGetsNoAnswerWithinTheTimeout)
{
    TSNMPSend snmp;
    snmp.TargetHost = kSnmpdAddress;
    snmp.Timeout = 300;
    snmp.Query.Community = "not-the-community";
    snmp.Query.PDUType = BerTag::GetRequest;
    snmp.Query.AddVarBind(kUpTime, "", BerTag::Null);
    const auto start = Clock::now();
    EXPECT_FALSE(snmp.Exchange());
    EXPECT_GE(msSince(start), 290);
    EXPECT_EQ(snmp.HostIP, "0.0.0.0");

    // The same through the public read, which waits its full five seconds.
    std::string value = "stale";
    const auto fullStart = Clock::now();
    EXPECT_FALSE(SNMPReadValue(kUpTime, "not-the-community", kSnmpdAddress, value));
    EXPECT_EQ(value, "");
    EXPECT_GE(msSince(fullStart), 4900);
    EXPECT_LT(msSince(fullStart), 6000);
}

TEST(SNMPRead, PortWithoutAgentFailsAtOnce)
{
    std::string value = "stale";
    const auto start = Clock::now();
    EXPECT_FALSE(SNMPReadValue(kUpTime, "vandor", kNobodyAddress, value));
    EXPECT_EQ(value, "");
    EXPECT_LT(msSince(start), 1000);

    std::string oid = "1.3.6.1.2.1.2.2.1";
    EXPECT_FALSE(SNMPReadNext(oid, "vandor", kNobodyAddress, value));
    EXPECT_EQ(oid, "1.3.6.1.2.1.2.2.1");
}

// ------------------------------------------------------------ scripted agent

class AgainstScriptedAgent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_started = m_agent.start({});
        REQUIRE_PEER(m_started, m_agent.error());
    }

    // Answers every request with these bindings under the request's own id.
    void answerWith(const std::vector<AgentReply::Binding>& bindings, std::int32_t status = 0)
    {
        m_agent.setResponder([bindings, status](const ScriptedAgent::Request& r) {
            return std::vector<ScriptedAgent::Datagram>{
                {AgentReply::response(AgentReply::requestId(r.bytes), bindings, status)}};
        });
    }

    ScriptedAgent m_agent{kScriptedAddress, kStrangerAddress};
    bool m_started = false;
};

TEST_F(AgainstScriptedAgent, RequestIsByteForByteAnSnmpV1Get)
{
    answerWith({{kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(123)}});
    std::string value;
    ASSERT_TRUE(SNMPReadValue(kUpTime, "vandor", kScriptedAddress, value));
    EXPECT_EQ(value, "123");
    ASSERT_TRUE(SNMPReadValue(kUpTime, "vandor", kScriptedAddress, value));

    const std::string expected("\x30\x26\x02\x01\x00\x04\x06vandor\xA0\x19\x02\x01\x01\x02\x01\x00"
                               "\x02\x01\x00\x30\x0E\x30\x0C\x06\x08\x2B\x06\x01\x02\x01\x01\x03"
                               "\x00\x05\x00",
                               40);
    const auto requests = m_agent.requests();
    ASSERT_EQ(requests.size(), 2u);
    // Every read is a fresh client: both carry request id 1.
    EXPECT_EQ(requests[0].bytes, expected);
    EXPECT_EQ(requests[1].bytes, expected);
    EXPECT_NE(requests[0].senderPort, requests[1].senderPort);
}

TEST_F(AgainstScriptedAgent, GetNextCarriesRequestIdTwoAndMovesTheOid)
{
    answerWith({{"1.3.6.1.2.1.2.2.1.1.1", BerTag::Integer, EncodeInteger(1)}});
    std::string oid = "1.3.6.1.2.1.2.2.1";
    std::string value;
    ASSERT_TRUE(SNMPReadNext(oid, "public", kScriptedAddress, value));
    EXPECT_EQ(oid, "1.3.6.1.2.1.2.2.1.1.1");
    EXPECT_EQ(value, "1");

    const auto requests = m_agent.requests();
    ASSERT_EQ(requests.size(), 1u);
    TSNMPRec sent;
    ASSERT_TRUE(sent.Decode(requests[0].bytes));
    EXPECT_EQ(sent.PDUType, BerTag::GetNextRequest);
    EXPECT_EQ(sent.ID, 2);
    EXPECT_EQ(sent.Community, "public");
    ASSERT_EQ(sent.VarBindCount(), 1u);
    EXPECT_EQ(sent.VarBind(0).Oid, "1.3.6.1.2.1.2.2.1");
    EXPECT_EQ(sent.VarBind(0).ValueType, BerTag::Null);

    // An answer without bindings leaves the OID where it was.
    answerWith({});
    oid = "1.3.6.1.2.1.2.2.1.1.1";
    value = "stale";
    ASSERT_TRUE(SNMPReadNext(oid, "public", kScriptedAddress, value));
    EXPECT_EQ(oid, "1.3.6.1.2.1.2.2.1.1.1");
    EXPECT_EQ(value, "");
}

TEST_F(AgainstScriptedAgent, CountersFromTwoToThe31UpArriveNegative)
{
    const std::map<std::uint32_t, std::string> cases = {{0u, "0"},
                                                        {2147483647u, "2147483647"},
                                                        {2147483648u, "-2147483648"},
                                                        {3000000000u, "-1294967296"},
                                                        {4294967295u, "-1"}};
    for (const auto& [counter, text] : cases) {
        for (const int type : {BerTag::Counter32, BerTag::Gauge32, BerTag::TimeTicks}) {
            answerWith({{"1.3.6.1.2.1.2.2.1.10.1", type, AgentReply::unsigned32(counter)}});
            std::string value;
            ASSERT_TRUE(SNMPReadValue("1.3.6.1.2.1.2.2.1.10.1", "vandor", kScriptedAddress, value));
            EXPECT_EQ(value, text) << counter << " type " << type;
        }
    }
}

TEST_F(AgainstScriptedAgent, ErrorStatusIsStillAnAnswerWithEmptyValue)
{
    answerWith({{kUpTime, BerTag::Null, ""}}, 2 /* noSuchName */);
    std::string value = "stale";
    EXPECT_TRUE(SNMPReadValue(kUpTime, "vandor", kScriptedAddress, value));
    EXPECT_EQ(value, "");
}

// Forged datagrams from another address, answers to other requests and
// anything that is not a GetResponse must not pass for the agent's answer.
TEST_F(AgainstScriptedAgent, OnlyTheAgentsAnswerToThisRequestCounts)
{
    const auto forged = [](std::int32_t id, std::uint32_t counter) {
        return AgentReply::response(
            id, {{"1.3.6.1.2.1.2.2.1.10.1", BerTag::Counter32, AgentReply::unsigned32(counter)}});
    };
    m_agent.setResponder([&](const ScriptedAgent::Request& r) {
        const std::int32_t id = AgentReply::requestId(r.bytes);
        return std::vector<ScriptedAgent::Datagram>{
            {forged(id, 666), /*fromStranger=*/true},
            {forged(id + 1, 667)},
            {forged(id - 1, 668)},
            {AgentReply::message(
                BerTag::GetRequest, id,
                {{"1.3.6.1.2.1.2.2.1.10.1", BerTag::Counter32, AgentReply::unsigned32(669)}})},
            {std::string("\x02\x01\x00", 3)},
            {std::string()},
            {forged(id, 1234), false, 20},
        };
    });
    std::string value;
    ASSERT_TRUE(SNMPReadValue("1.3.6.1.2.1.2.2.1.10.1", "vandor", kScriptedAddress, value));
    EXPECT_EQ(value, "1234");
}

// A GetResponse for the read below under a request id item of any width.
std::string responseWithIdOctets(const std::string& idOctets, std::uint32_t counter)
{
    const std::string binding =
        EncodeObject(EncodeObject(OidToBer("1.3.6.1.2.1.2.2.1.10.1"), BerTag::ObjectId) +
                         EncodeObject(AgentReply::unsigned32(counter), BerTag::Counter32),
                     BerTag::Sequence);
    const std::string zero = EncodeObject(EncodeInteger(0), BerTag::Integer);
    const std::string body = EncodeObject(idOctets, BerTag::Integer) + zero + zero +
                             EncodeObject(binding, BerTag::Sequence);
    return EncodeObject(zero + EncodeObject("vandor", BerTag::OctetString) +
                            EncodeObject(body, BerTag::GetResponse),
                        BerTag::Sequence);
}

TEST_F(AgainstScriptedAgent, ARequestIdWiderThanThirtyTwoBitsNeverMatches)
{
    // Each forgery's id shares its low 32 bits with the request's own id.
    m_agent.setResponder([](const ScriptedAgent::Request& r) {
        const auto id = static_cast<std::uint32_t>(AgentReply::requestId(r.bytes));
        std::string low;
        for (int shift = 24; shift >= 0; shift -= 8)
            low.push_back(static_cast<char>((id >> shift) & 0xFFu));
        return std::vector<ScriptedAgent::Datagram>{
            {responseWithIdOctets(std::string("\x01", 1) + low, 666)},             // 2^32 + id
            {responseWithIdOctets(std::string("\x00\x01", 2) + low, 667)},         // 2^32 + id
            {responseWithIdOctets(std::string("\x7f\xff\xff\xff", 4) + low, 668)}, // wide
            {responseWithIdOctets(std::string("\x00\x00\x00", 3) + low, 1234), false, 20},
        };
    });
    std::string value;
    ASSERT_TRUE(SNMPReadValue("1.3.6.1.2.1.2.2.1.10.1", "vandor", kScriptedAddress, value));
    // Only the id padded with zero octets is the same number as the request's.
    EXPECT_EQ(value, "1234");
}

TEST_F(AgainstScriptedAgent, NothingButForgeriesIsATimeout)
{
    m_agent.setResponder([](const ScriptedAgent::Request& r) {
        const std::int32_t id = AgentReply::requestId(r.bytes);
        const std::vector<AgentReply::Binding> bindings = {
            {kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(5)}};
        return std::vector<ScriptedAgent::Datagram>{{AgentReply::response(id, bindings), true},
                                                    {AgentReply::response(id + 7, bindings)}};
    });
    TSNMPSend snmp;
    snmp.TargetHost = kScriptedAddress;
    snmp.Timeout = 300;
    snmp.Query.PDUType = BerTag::GetRequest;
    snmp.Query.AddVarBind(kUpTime, "", BerTag::Null);
    const auto start = Clock::now();
    EXPECT_FALSE(snmp.Exchange());
    EXPECT_GE(msSince(start), 290);
    EXPECT_EQ(snmp.Reply.VarBindCount(), 0u);
    EXPECT_EQ(snmp.HostIP, "0.0.0.0");
}

TEST_F(AgainstScriptedAgent, SenderOfTheReplyIsRecorded)
{
    answerWith({{kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(5)}});
    TSNMPSend snmp;
    snmp.TargetHost = kScriptedAddress;
    snmp.Timeout = 1000;
    snmp.Query.PDUType = BerTag::GetRequest;
    snmp.Query.AddVarBind(kUpTime, "", BerTag::Null);
    ASSERT_TRUE(snmp.Exchange());
    EXPECT_EQ(snmp.HostIP, kScriptedAddress);
    EXPECT_EQ(snmp.Reply.FindValue(kUpTime), "5");
    EXPECT_EQ(snmp.Query.ID, 2); // counted up by the encoding
}

} // namespace
