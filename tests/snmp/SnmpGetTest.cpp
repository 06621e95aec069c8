#include "SnmpGet.h"

#include "BerTag.h"
#include "PeerRequirement.h"
#include "SNMPRead.h"
#include "ScriptedAgent.h"
#include "SocketErrors.h"
#include "StraySenders.h"
#include "TSNMPRec.h"
#include "TSNMPSend.h"

#include <gtest/gtest.h>

namespace {

// Loopback addresses of this suite's own.
constexpr const char* kAgentAddress = "127.0.0.131";
constexpr const char* kOtherAddress = "127.0.0.132"; // another address of the same device
constexpr const char* kNobodyAddress = "127.0.0.133";

constexpr const char* kUpTime = "1.3.6.1.2.1.1.3.0";
constexpr const char* kInOctets = "1.3.6.1.2.1.2.2.1.10.1";

class SnmpGet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StraySenders::forget(kAgentAddress);
        const bool started = m_agent.start({});
        REQUIRE_PEER(started, m_agent.error());
    }

    // Answers every request with these bindings, from the agent's address or
    // from its other one.
    void answerWith(const std::vector<AgentReply::Binding>& bindings, bool fromOther)
    {
        m_agent.setResponder([bindings, fromOther](const ScriptedAgent::Request& r) {
            return std::vector<ScriptedAgent::Datagram>{
                {AgentReply::response(AgentReply::requestId(r.bytes), bindings), fromOther}};
        });
    }

    ScriptedAgent m_agent{kAgentAddress, kOtherAddress};
};

TEST_F(SnmpGet, AnAnswerFromAnotherAddressIsRefusedButNamed)
{
    answerWith({{kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(5)}}, true);
    TSNMPSend snmp;
    snmp.TargetHost = kAgentAddress;
    snmp.Timeout = 300;
    snmp.Query.PDUType = BerTag::GetRequest;
    snmp.Query.AddVarBind(kUpTime, "", BerTag::Null);
    EXPECT_FALSE(snmp.Exchange());
    EXPECT_EQ(snmp.OtherSender, kOtherAddress);
    EXPECT_EQ(snmp.HostIP, "0.0.0.0");
    EXPECT_EQ(StraySenders::lookup(kAgentAddress), kOtherAddress);

    // Once the agent answers itself again, there is nothing left to tell.
    answerWith({{kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(6)}}, false);
    const TSnmpGetOutcome outcome = SNMPGet({kUpTime}, "vandor", kAgentAddress);
    EXPECT_TRUE(outcome.answered);
    EXPECT_EQ(outcome.values, std::vector<std::string>{"6"});
    EXPECT_TRUE(outcome.otherSender.empty());
    EXPECT_EQ(StraySenders::lookup(kAgentAddress), "");
}

TEST_F(SnmpGet, OneOidGoesOutAsSNMPReadValueSendsIt)
{
    answerWith({{kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(9)}}, false);
    std::string value;
    ASSERT_TRUE(SNMPReadValue(kUpTime, "vandor", kAgentAddress, value));
    const TSnmpGetOutcome outcome = SNMPGet({kUpTime}, "vandor", kAgentAddress);
    ASSERT_TRUE(outcome.answered);
    EXPECT_EQ(outcome.values.front(), value);
    const auto requests = m_agent.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].bytes, requests[1].bytes);
}

TEST_F(SnmpGet, SeveralOidsTravelInOneRequest)
{
    answerWith({{kInOctets, BerTag::Counter32, AgentReply::unsigned32(3000000000u)},
                {kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(77)}},
               false);
    const TSnmpGetOutcome outcome =
        SNMPGet({kUpTime, kInOctets, "1.3.6.1.2.1.1.5.0"}, "vandor", kAgentAddress);
    ASSERT_TRUE(outcome.answered);
    // In the order asked, whatever order the answer has; nothing for an OID
    // the answer lacks.
    EXPECT_EQ(outcome.values, (std::vector<std::string>{"77", "-1294967296", ""}));
    const auto requests = m_agent.requests();
    ASSERT_EQ(requests.size(), 1u);
    TSNMPRec sent;
    ASSERT_TRUE(sent.Decode(requests[0].bytes));
    EXPECT_EQ(sent.PDUType, BerTag::GetRequest);
    ASSERT_EQ(sent.VarBindCount(), 3u);
    EXPECT_EQ(sent.VarBind(1).Oid, kInOctets);
}

TEST(SnmpGetUnconnected, AClosedPortIsStillReportedAtOnce)
{
    // The socket is not associated with the agent, yet the kernel's "port
    // unreachable" ends the read as refused instead of as a time-out.
    TSNMPSend snmp;
    snmp.TargetHost = kNobodyAddress;
    snmp.Query.PDUType = BerTag::GetRequest;
    snmp.Query.AddVarBind(kUpTime, "", BerTag::Null);
    EXPECT_FALSE(snmp.Exchange());
    EXPECT_EQ(snmp.Sock.LastError(), SockErr::ConnectionReset);
    EXPECT_TRUE(snmp.OtherSender.empty());
}

} // namespace
