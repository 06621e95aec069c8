// Version-3 reads against an agent of the test's own, for what a real agent
// does not do on demand: strays, forged senders, wrong ids, a replaced engine,
// a walk that goes back, Counter64 edge values.
#include "Ber.h"
#include "BerTag.h"
#include "PeerRequirement.h"
#include "SNMPv3Read.h"
#include "ScriptedAgent.h"
#include "SharedEngineCache.h"
#include "SnmpV3Message.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr const char* kAgent = "127.0.0.184";
constexpr const char* kStranger = "127.0.0.185";
const std::string kEngine("\x80\x00\x1f\x88\x04scripted", 13);
const SnmpV3User kUser{"ann", SecurityLevel::NoAuthNoPriv, AuthProtocol::None,
                       "",    PrivProtocol::None,          ""};

struct Binding
{
    std::string oid;
    int type;
    std::string content;
};

struct Request
{
    SnmpV3Message message;
    ScopedPdu scoped;
    bool ok = false;
};

Request parse(const std::string& bytes)
{
    Request request;
    std::size_t offset = 0;
    request.ok = decodeV3Message(bytes, request.message, offset) &&
                 decodeScopedPdu(request.message.Data, 0, request.scoped);
    return request;
}

// An unsigned answer as an agent sends it to a noAuthNoPriv user.
std::string answer(const Request& to, int pduType, const std::vector<Binding>& bindings,
                   const std::string& engine = kEngine, std::int32_t msgIdDelta = 0,
                   std::int32_t requestIdDelta = 0)
{
    std::string list;
    for (const Binding& b : bindings)
        list += EncodeObject(EncodeObject(OidToBer(b.oid), BerTag::ObjectId) +
                                 EncodeObject(b.content, b.type),
                             BerTag::Sequence);
    const std::string body =
        EncodeObject(EncodeInteger(to.scoped.Pdu.RequestId + requestIdDelta), BerTag::Integer) +
        EncodeObject(EncodeInteger(0), BerTag::Integer) +
        EncodeObject(EncodeInteger(0), BerTag::Integer) + EncodeObject(list, BerTag::Sequence);
    SnmpV3Message message;
    message.MsgID = to.message.MsgID + msgIdDelta;
    message.Usm.EngineID = engine;
    message.Usm.EngineBoots = 1;
    message.Usm.EngineTime = 100;
    message.Usm.UserName = to.message.Usm.UserName;
    message.Data =
        EncodeObject(EncodeObject(engine, BerTag::OctetString) +
                         EncodeObject("", BerTag::OctetString) + EncodeObject(body, pduType),
                     BerTag::Sequence);
    std::size_t offset = 0;
    return encodeV3Message(message, offset);
}

std::string discoveryReport(const Request& to, const std::string& engine = kEngine)
{
    return answer(to, BerTag::Report,
                  {{"1.3.6.1.6.3.15.1.1.4.0", BerTag::Counter32, std::string(1, '\x01')}}, engine);
}

class V3Scripted : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_agent = std::make_unique<ScriptedAgent>(kAgent, kStranger);
        REQUIRE_PEER(m_agent->start([](const ScriptedAgent::Request&) {
            return std::vector<ScriptedAgent::Datagram>{};
        }),
                     m_agent->error());
    }

    // Discovery is answered; every other request by respond.
    void script(std::function<std::vector<ScriptedAgent::Datagram>(const Request&)> respond)
    {
        m_agent->setResponder([respond](const ScriptedAgent::Request& raw) {
            const Request request = parse(raw.bytes);
            if (!request.ok)
                return std::vector<ScriptedAgent::Datagram>{};
            if (request.message.Usm.EngineID.empty())
                return std::vector<ScriptedAgent::Datagram>{{discoveryReport(request)}};
            return respond(request);
        });
    }

    std::unique_ptr<ScriptedAgent> m_agent;
};

TEST_F(V3Scripted, TakesOnlyTheAnswerToThisRequestFromThisAgent)
{
    const std::string max64 = std::string(1, '\0') + std::string(8, '\xff');
    script([&](const Request& r) {
        const std::vector<Binding> forged{{"1.3.6.1.2.1.31.1.1.1.6.1", BerTag::Counter64, "\x05"}};
        const std::vector<Binding> real{{"1.3.6.1.2.1.31.1.1.1.6.1", BerTag::Counter64, max64}};
        return std::vector<ScriptedAgent::Datagram>{
            {answer(r, BerTag::GetResponse, forged, kEngine, 1)},    // another msgID
            {answer(r, BerTag::GetResponse, forged, kEngine, 0, 1)}, // another request-id
            {answer(r, BerTag::GetResponse, forged), true},          // from another address
            {answer(r, BerTag::GetResponse, real), false, 50},
        };
    });
    SnmpEngineCache cache;
    const SnmpV3Result result = SNMPv3Get({"1.3.6.1.2.1.31.1.1.1.6.1"}, kUser, kAgent, cache);
    ASSERT_TRUE(result.ok()) << snmpV3OutcomeText(result.Outcome, "ann", result.Detail);
    ASSERT_EQ(result.VarBinds.size(), 1u);
    EXPECT_EQ(result.VarBinds[0].Value, "18446744073709551615");
    EXPECT_EQ(result.VarBinds[0].Number, 18446744073709551615ull);
    EXPECT_EQ(result.RoundTrips, 2);
}

TEST_F(V3Scripted, OnlyWrongAnswersEndRefusedWithTheReason)
{
    script([](const Request& r) {
        return std::vector<ScriptedAgent::Datagram>{
            {answer(r, BerTag::GetResponse, {{"1.3.6.1.2.1.1.3.0", BerTag::TimeTicks, "\x07"}},
                    kEngine, 0, 1)}};
    });
    SnmpEngineCache cache;
    SnmpV3Client client(cache);
    client.TargetHost = kAgent;
    client.User = kUser;
    client.Timeout = 300;
    const SnmpV3Result result = client.request(BerTag::GetRequest, {"1.3.6.1.2.1.1.3.0"});
    EXPECT_EQ(result.Outcome, SnmpV3Outcome::RefusedReply);
    EXPECT_EQ(result.Detail, "an answer to another request, user or engine");
    EXPECT_TRUE(result.VarBinds.empty());
}

TEST_F(V3Scripted, AReplacedEngineIsLearntAgainAndTheRequestRepeated)
{
    const std::string newEngine("\x80\x00\x1f\x88\x04replaced", 13);
    script([&](const Request& r) {
        if (r.message.Usm.EngineID != newEngine)
            return std::vector<ScriptedAgent::Datagram>{{discoveryReport(r, newEngine)}};
        return std::vector<ScriptedAgent::Datagram>{
            {answer(r, BerTag::GetResponse, {{"1.3.6.1.2.1.1.3.0", BerTag::TimeTicks, "\x07"}},
                    newEngine)}};
    });
    SnmpEngineCache cache;
    cache.learn(std::string(kAgent) + "|161", kEngine, 1, 100, SnmpEngineState::Clock::now());
    const SnmpV3Result result = SNMPv3Get({"1.3.6.1.2.1.1.3.0"}, kUser, kAgent, cache);
    ASSERT_TRUE(result.ok()) << snmpV3OutcomeText(result.Outcome, "ann", result.Detail);
    EXPECT_EQ(result.VarBinds[0].Value, "7");
    EXPECT_EQ(result.RoundTrips, 2) << "the report, then the request again";
    EXPECT_EQ(cache.find(std::string(kAgent) + "|161")->EngineID, newEngine);

    // An engine that keeps refusing its own id, or a clock no unsigned report
    // may set, is reported after at most one more try, not looped on, and
    // the engine is found again next time.
    const struct
    {
        const char* report;
        SnmpV3Outcome outcome;
        int roundTrips;
    } stuckCases[] = {{"1.3.6.1.6.3.15.1.1.4.0", SnmpV3Outcome::UnknownEngineID, 2},
                      {"1.3.6.1.6.3.15.1.1.2.0", SnmpV3Outcome::NotInTimeWindow, 1}};
    for (const auto& c : stuckCases) {
        SCOPED_TRACE(c.report);
        script([&](const Request& r) {
            return std::vector<ScriptedAgent::Datagram>{
                {answer(r, BerTag::Report, {{c.report, BerTag::Counter32, "\x01"}},
                        r.message.Usm.EngineID + "x")}};
        });
        cache.learn(std::string(kAgent) + "|161", kEngine, 1, 100, SnmpEngineState::Clock::now());
        const SnmpV3Result stuck = SNMPv3Get({"1.3.6.1.2.1.1.3.0"}, kUser, kAgent, cache);
        EXPECT_EQ(stuck.Outcome, c.outcome);
        EXPECT_EQ(stuck.RoundTrips, c.roundTrips);
        EXPECT_TRUE(stuck.VarBinds.empty());
        EXPECT_EQ(cache.find(std::string(kAgent) + "|161"), nullptr);
    }
}

TEST_F(V3Scripted, AnEngineIdNewAtEveryRequestCostsOneEngineAndItsKeys)
{
    // Every request, discovery included, is answered with a report from an
    // engine id never shown before.
    auto shown = std::make_shared<int>(0);
    m_agent->setResponder([shown](const ScriptedAgent::Request& raw) {
        const Request request = parse(raw.bytes);
        const std::string engine = kEngine + std::to_string(++*shown);
        return std::vector<ScriptedAgent::Datagram>{{discoveryReport(request, engine)}};
    });
    SnmpV3User signing = kUser;
    signing.Level = SecurityLevel::AuthNoPriv;
    signing.Auth = AuthProtocol::SHA1;
    signing.AuthPassword = "authPassword";
    SharedEngineCache shared;
    for (int i = 0; i < 60; ++i) {
        SharedEngineCache::Loan loan = shared.lend(kAgent);
        const SnmpV3Result result = SNMPv3Get({"1.3.6.1.2.1.1.3.0"}, signing, kAgent, loan.cache);
        shared.giveBack(loan);
        // A report, never a value.
        EXPECT_EQ(result.Outcome, SnmpV3Outcome::UnknownEngineID);
        EXPECT_TRUE(result.VarBinds.empty());
        EXPECT_LE(shared.engineCount(), 1u);
        // At most the stretched key and the key of the engine id held.
        EXPECT_LE(shared.keyCount(), 2u);
    }
    EXPECT_GE(*shown, 120);
}

TEST_F(V3Scripted, AWalkThatGoesBackIsRefusedAndSaysItEndedEarly)
{
    script([](const Request& r) {
        return std::vector<ScriptedAgent::Datagram>{
            {answer(r, BerTag::GetResponse,
                    {{"1.3.6.1.2.1.2.2.1.2.1", BerTag::OctetString, "lo"},
                     {"1.3.6.1.2.1.2.2.1.2.2", BerTag::OctetString, "eth0"},
                     {"1.3.6.1.2.1.2.2.1.2.1", BerTag::OctetString, "lo"}})}};
    });
    SnmpEngineCache cache;
    const SnmpV3Result walk = SNMPv3Walk("1.3.6.1.2.1.2.2.1.2", kUser, kAgent, cache);
    // Never a whole list: refused, with the rows before the step back and
    // the end that says why there are no more.
    EXPECT_EQ(walk.Outcome, SnmpV3Outcome::RefusedReply);
    EXPECT_EQ(walk.Detail, "the agent's walk does not move forward");
    EXPECT_EQ(walk.WalkEnd, SnmpWalkEnd::OutOfOrder);
    ASSERT_EQ(walk.VarBinds.size(), 2u);
    EXPECT_EQ(walk.VarBinds[1].Value, "eth0");
}

TEST_F(V3Scripted, DiscoveryAnsweredWithoutAnEngineIdIsRefused)
{
    m_agent->setResponder([](const ScriptedAgent::Request& raw) {
        const Request request = parse(raw.bytes);
        return std::vector<ScriptedAgent::Datagram>{{discoveryReport(request, "")}};
    });
    SnmpEngineCache cache;
    const SnmpV3Result result = SNMPv3Get({"1.3.6.1.2.1.1.3.0"}, kUser, kAgent, cache);
    EXPECT_EQ(result.Outcome, SnmpV3Outcome::RefusedReply);
    EXPECT_EQ(cache.find(std::string(kAgent) + "|161"), nullptr);
}

TEST_F(V3Scripted, SettingsThatCannotMakeARequestSendNothing)
{
    script([](const Request&) { return std::vector<ScriptedAgent::Datagram>{}; });
    SnmpV3User noName = kUser;
    noName.UserName.clear();
    SnmpV3User noAuthProtocol = kUser;
    noAuthProtocol.Level = SecurityLevel::AuthNoPriv;
    noAuthProtocol.AuthPassword = "password1";
    SnmpV3User noAuthPassword = noAuthProtocol;
    noAuthPassword.Auth = AuthProtocol::SHA256;
    noAuthPassword.AuthPassword.clear();
    SnmpV3User noPrivPassword = noAuthProtocol;
    noPrivPassword.Auth = AuthProtocol::SHA256;
    noPrivPassword.Level = SecurityLevel::AuthPriv;
    noPrivPassword.Priv = PrivProtocol::AES128;
    SnmpV3User noPrivProtocol = noPrivPassword;
    noPrivProtocol.Priv = PrivProtocol::None;
    noPrivProtocol.PrivPassword = "password2";
    const struct
    {
        SnmpV3User user;
        const char* detail;
    } cases[] = {
        {noName, "no user name"},
        {noAuthProtocol, "no authentication protocol"},
        {noAuthPassword, "no authentication password"},
        {noPrivPassword, "no privacy password"},
        {noPrivProtocol, "no privacy protocol"},
    };
    for (const auto& c : cases) {
        SnmpEngineCache cache;
        const SnmpV3Result result = SNMPv3Get({"1.3.6.1.2.1.1.3.0"}, c.user, kAgent, cache);
        EXPECT_EQ(result.Outcome, SnmpV3Outcome::BadSettings) << c.detail;
        EXPECT_EQ(result.Detail, c.detail);
        EXPECT_EQ(snmpV3OutcomeText(result.Outcome, "", result.Detail),
                  std::string("SNMPv3 settings incomplete: ") + c.detail);
    }
    EXPECT_TRUE(m_agent->requests().empty());
}

} // namespace
