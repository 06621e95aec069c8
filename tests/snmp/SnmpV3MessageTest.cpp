// The version-3 frame, the scoped PDU and the security applied to them,
// without a network: what goes out, what is taken and what is refused.
#include "SnmpV3Message.h"
#include "BerTag.h"
#include "HexBytes.h"
#include "SnmpV3Outcome.h"
#include "SnmpV3Pdu.h"
#include "UsmAuthentication.h"
#include "UsmKeys.h"
#include "UsmPrivacy.h"
#include "UsmSecurity.h"

#include <gtest/gtest.h>

namespace {

using Clock = SnmpEngineState::Clock;

SnmpV3Message sampleMessage()
{
    SnmpV3Message message;
    message.MsgID = 0x1234567;
    message.MsgFlags = V3Flags::Auth | V3Flags::Reportable;
    message.Usm.EngineID = hexBytes("80 00 1f 88 80 01 02 03 04");
    message.Usm.EngineBoots = 7;
    message.Usm.EngineTime = 123456;
    message.Usm.UserName = "shaUser";
    message.Usm.AuthParameters = std::string(12, 'D');
    ScopedPdu scoped;
    scoped.Pdu.Type = BerTag::GetRequest;
    scoped.Pdu.RequestId = 99;
    scoped.Pdu.VarBinds.resize(1);
    scoped.Pdu.VarBinds[0].Oid = "1.3.6.1.2.1.1.3.0";
    message.Data = encodeScopedPdu(scoped);
    return message;
}

TEST(SnmpV3Message, RoundTripsAndFindsTheDigestField)
{
    const SnmpV3Message message = sampleMessage();
    std::size_t authOffset = 0;
    const std::string bytes = encodeV3Message(message, authOffset);
    EXPECT_EQ(bytes.substr(authOffset, 12), std::string(12, 'D'));

    SnmpV3Message back;
    std::size_t backOffset = 0;
    ASSERT_TRUE(decodeV3Message(bytes, back, backOffset));
    EXPECT_EQ(backOffset, authOffset);
    EXPECT_EQ(back.MsgID, message.MsgID);
    EXPECT_EQ(back.MsgMaxSize, kV3MaxMessageSize);
    EXPECT_EQ(back.MsgFlags, message.MsgFlags);
    EXPECT_EQ(back.Usm.EngineID, message.Usm.EngineID);
    EXPECT_EQ(back.Usm.EngineBoots, 7u);
    EXPECT_EQ(back.Usm.EngineTime, 123456u);
    EXPECT_EQ(back.Usm.UserName, "shaUser");
    EXPECT_EQ(back.Data, message.Data);

    ScopedPdu scoped;
    ASSERT_TRUE(decodeScopedPdu(back.Data, 0, scoped));
    EXPECT_EQ(scoped.Pdu.RequestId, 99);
    ASSERT_EQ(scoped.Pdu.VarBinds.size(), 1u);
    EXPECT_EQ(scoped.Pdu.VarBinds[0].Oid, "1.3.6.1.2.1.1.3.0");
    EXPECT_EQ(scoped.Pdu.VarBinds[0].ValueType, BerTag::Null);
}

// Rewrites one byte of an encoded sample message.
std::string withByte(std::size_t index, unsigned char value)
{
    std::size_t offset = 0;
    std::string bytes = encodeV3Message(sampleMessage(), offset);
    bytes[index] = static_cast<char>(value);
    return bytes;
}

TEST(SnmpV3Message, RefusesEveryMalformedFrame)
{
    std::size_t offset = 0;
    const std::string good = encodeV3Message(sampleMessage(), offset);
    SnmpV3Message msg;
    msg = sampleMessage();
    msg.MsgFlags = V3Flags::Priv;
    const std::string privWithoutAuth = encodeV3Message(msg, offset);
    msg = sampleMessage();
    msg.MsgMaxSize = 483;
    const std::string tinyMaxSize = encodeV3Message(msg, offset);
    msg = sampleMessage();
    msg.SecurityModel = 2;
    const std::string otherModel = encodeV3Message(msg, offset);
    msg = sampleMessage();
    msg.Usm.EngineID = std::string(33, 'e');
    const std::string longEngine = encodeV3Message(msg, offset);
    msg = sampleMessage();
    msg.MsgID = -5;
    const std::string negativeId = encodeV3Message(msg, offset);

    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"one byte", good.substr(0, 1)},
        {"cut short", good.substr(0, good.size() - 1)},
        {"a byte too many", good + std::string(1, '\0')},
        {"version 1", withByte(4, 1)},
        {"not a sequence", withByte(0, 0x31)},
        {"indefinite outer length", withByte(1, 0x80)},
        {"privacy without authentication", privWithoutAuth},
        {"msgMaxSize below 484", tinyMaxSize},
        {"another security model", otherModel},
        {"engine id of 33 bytes", longEngine},
        {"negative msgID", negativeId},
        {"outer length past the end", withByte(2, 0xFF)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SnmpV3Message out;
        std::size_t authOffset = 0;
        EXPECT_FALSE(decodeV3Message(c.bytes, out, authOffset));
    }
}

TEST(SnmpV3Pdu, ReadsEveryValueTypeStrictly)
{
    const auto reply = [](const std::string& valueItem) {
        const std::string bind = "\x06\x03\x2b\x06\x01" + valueItem;
        const std::string list = "\x30" + std::string(1, static_cast<char>(bind.size())) + bind;
        const std::string varBinds = "\x30" + std::string(1, static_cast<char>(list.size())) + list;
        const std::string body = hexBytes("02 01 05 02 01 00 02 01 00") + varBinds;
        const std::string pdu = "\xa2" + std::string(1, static_cast<char>(body.size())) + body;
        const std::string scoped = hexBytes("04 00 04 00") + pdu;
        return "\x30" + std::string(1, static_cast<char>(scoped.size())) + scoped;
    };
    const struct
    {
        const char* item;
        bool ok;
        int type;
        std::string text;
    } cases[] = {
        {"02 01 FF", true, BerTag::Integer, "-1"},
        {"02 05 01 00 00 00 00", false, 0, ""},
        {"41 05 00 FF FF FF FF", true, BerTag::Counter32, "-1"},
        {"42 04 7F FF FF FF", true, BerTag::Gauge32, "2147483647"},
        {"41 05 01 00 00 00 00", false, 0, ""},
        {"41 01 80", false, 0, ""}, // a counter cannot be negative
        {"43 02 01 00", true, BerTag::TimeTicks, "256"},
        {"46 09 00 FF FF FF FF FF FF FF FF", true, 0x46, "18446744073709551615"},
        {"46 09 01 00 00 00 00 00 00 00 00", false, 0, ""},
        {"04 03 61 00 62", true, BerTag::OctetString, std::string("a\0b", 3)},
        {"06 03 2B 06 01", true, BerTag::ObjectId, "1.3.6.1"},
        {"06 02 2B 86", false, 0, ""},                // last arc cut off
        {"06 07 2B 90 80 80 80 80 01", false, 0, ""}, // arc above 32 bits
        {"40 04 7F 00 00 01", true, BerTag::IpAddress, "127.0.0.1"},
        {"40 03 7F 00 00", false, 0, ""},
        {"80 00", true, 0x80, ""},
        {"81 00", true, 0x81, ""},
        {"82 00", true, 0x82, ""},
        {"82 01 00", false, 0, ""},
        {"05 00", true, BerTag::Null, ""},
        {"47 00", false, 0, ""},    // an unknown type
        {"04 05 61", false, 0, ""}, // length past its parent
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        ScopedPdu scoped;
        const bool ok = decodeScopedPdu(reply(hexBytes(c.item)), 0, scoped);
        EXPECT_EQ(ok, c.ok);
        if (!ok || !c.ok)
            continue;
        ASSERT_EQ(scoped.Pdu.VarBinds.size(), 1u);
        const SnmpBinding& bind = scoped.Pdu.VarBinds[0];
        EXPECT_EQ(bind.ValueType, c.type);
        EXPECT_EQ(bind.Value, c.text);
        if (bind.isUnsigned()) {
            const std::uint64_t number = std::stoull(c.text[0] == '-' ? "4294967295" : c.text);
            EXPECT_EQ(bind.Number, number);
        }
        EXPECT_EQ(bind.isException(), c.type >= 0x80);
        EXPECT_EQ(bind.hasValue(), c.type != BerTag::Null && c.type < 0x80);
    }
    // After the scoped PDU, only as many bytes as a cipher's padding may add.
    const struct
    {
        const char* padding;
        std::size_t maxPadding;
        bool ok;
    } paddings[] = {
        {"", 0, true},
        {"00", 0, false},
        {"00 00 00 00 00", 8, true},
        {"00 00 00 00 00 00 00 00", 8, true},
        {"00 00 00 00 00 00 00 00 00", 8, false},
        {"01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10", 16, true},
        {"01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11", 16, false},
        // A second scoped PDU is no padding either, however short.
        {"30 00", 0, false},
    };
    for (const auto& c : paddings) {
        SCOPED_TRACE(c.padding);
        ScopedPdu scoped;
        EXPECT_EQ(decodeScopedPdu(reply(hexBytes("02 01 01")) + hexBytes(c.padding), c.maxPadding,
                                  scoped),
                  c.ok);
        if (c.ok) {
            ASSERT_EQ(scoped.Pdu.VarBinds.size(), 1u);
            EXPECT_EQ(scoped.Pdu.VarBinds[0].Value, "1");
        }
    }
}

// ------------------------------------------------------------ security

struct Agent
{
    SnmpV3User user;
    UsmLocalKeys keys;
    SnmpEngineState engine;
};

Agent makeAgent(SecurityLevel level, AuthProtocol auth, PrivProtocol priv)
{
    Agent agent;
    agent.user = SnmpV3User{"ann", level, auth, "authPassword", priv, "privPassword"};
    agent.engine.EngineID = hexBytes("80 00 1f 88 80 aa bb cc dd");
    agent.engine.Boots = 3;
    agent.engine.Time = 1000;
    agent.engine.Stamp = Clock::now();
    agent.keys.Auth = localizedKeyFromPassword(auth, "authPassword", agent.engine.EngineID);
    agent.keys.Priv = localizedKeyFromPassword(auth, "privPassword", agent.engine.EngineID);
    return agent;
}

// What an agent would send back: wrapped like a request, but a Response and
// not reportable.
std::string response(const Agent& agent, std::int32_t msgId, std::int32_t requestId,
                     int pduType = BerTag::GetResponse, bool reportable = false)
{
    ScopedPdu scoped;
    scoped.ContextEngineID = agent.engine.EngineID;
    scoped.Pdu.Type = pduType;
    scoped.Pdu.RequestId = requestId;
    scoped.Pdu.VarBinds.resize(1);
    scoped.Pdu.VarBinds[0].Oid = "1.3.6.1.2.1.1.3.0";
    std::string bytes;
    EXPECT_TRUE(usmWrapRequest(agent.user, agent.keys, &agent.engine, Clock::now(), msgId,
                               reportable, scoped, bytes));
    return bytes;
}

TEST(UsmSecurity, TakesOnlyTheAnswerMeantForThisRequest)
{
    for (const auto& [auth, priv] : {std::pair{AuthProtocol::SHA1, PrivProtocol::AES128},
                                     std::pair{AuthProtocol::SHA256, PrivProtocol::AES128},
                                     std::pair{AuthProtocol::SHA512, PrivProtocol::AES128},
                                     std::pair{AuthProtocol::MD5, PrivProtocol::DES}}) {
        SCOPED_TRACE(authProtocolName(auth) + "/" + privProtocolName(priv));
        Agent agent = makeAgent(SecurityLevel::AuthPriv, auth, priv);
        if (!usmPrivacyAvailable(priv))
            continue;
        SnmpEngineState ours = agent.engine;
        const std::string good = response(agent, 41, 42);
        UsmReply reply;
        ASSERT_EQ(usmUnwrapReply(good, 41, agent.user, agent.keys, &ours, Clock::now(), reply),
                  UsmRefusal::Ok);
        EXPECT_TRUE(reply.Authenticated);
        EXPECT_EQ(reply.Scoped.Pdu.RequestId, 42);
        // The plain text never shows on the wire.
        EXPECT_EQ(good.find("\x2b\x06\x01\x02\x01\x01\x03"), std::string::npos);

        EXPECT_EQ(usmUnwrapReply(good, 40, agent.user, agent.keys, &ours, Clock::now(), reply),
                  UsmRefusal::NotOurs);
        // Some agents set the reportable flag on answers; it changes nothing.
        EXPECT_EQ(usmUnwrapReply(response(agent, 41, 42, BerTag::GetResponse, true), 41, agent.user,
                                 agent.keys, &ours, Clock::now(), reply),
                  UsmRefusal::Ok);
        // Any changed byte after the header breaks the digest or the frame.
        for (std::size_t i = 20; i < good.size(); i += 7) {
            std::string bent = good;
            bent[i] = static_cast<char>(bent[i] ^ 0x01);
            EXPECT_NE(usmUnwrapReply(bent, 41, agent.user, agent.keys, &ours, Clock::now(), reply),
                      UsmRefusal::Ok)
                << "byte " << i;
        }
        UsmLocalKeys wrongPriv = agent.keys;
        wrongPriv.Priv = localizedKeyFromPassword(auth, "otherPassword", agent.engine.EngineID);
        EXPECT_EQ(usmUnwrapReply(good, 41, agent.user, wrongPriv, &ours, Clock::now(), reply),
                  UsmRefusal::Undecryptable);
        UsmLocalKeys wrongAuth = agent.keys;
        wrongAuth.Auth = wrongPriv.Priv;
        EXPECT_EQ(usmUnwrapReply(good, 41, agent.user, wrongAuth, &ours, Clock::now(), reply),
                  UsmRefusal::WrongDigest);
    }
}

// What an agent that pads what it encrypts sends back: the scoped PDU of a
// Response with padding after it, encrypted and signed as usmWrapRequest does.
std::string paddedResponse(const Agent& agent, std::int32_t id, const std::string& padding)
{
    ScopedPdu scoped;
    scoped.ContextEngineID = agent.engine.EngineID;
    scoped.Pdu.Type = BerTag::GetResponse;
    scoped.Pdu.RequestId = id;
    scoped.Pdu.VarBinds.resize(1);
    scoped.Pdu.VarBinds[0].Oid = "1.3.6.1.2.1.1.3.0";
    SnmpV3Message message;
    message.MsgID = id;
    message.MsgFlags = V3Flags::Auth | V3Flags::Priv;
    message.Usm.EngineID = agent.engine.EngineID;
    message.Usm.UserName = agent.user.UserName;
    message.Usm.EngineBoots = agent.engine.Boots;
    message.Usm.EngineTime = agent.engine.Time;
    message.Usm.PrivParameters = usmMakeSalt(agent.user.Priv, agent.engine.Boots);
    EXPECT_TRUE(usmEncrypt(agent.user.Priv, agent.keys.Priv, message.Usm.EngineBoots,
                           message.Usm.EngineTime, message.Usm.PrivParameters,
                           encodeScopedPdu(scoped) + padding, message.Data));
    message.Usm.AuthParameters.assign(authMacLength(agent.user.Auth), '\0');
    std::size_t authOffset = 0;
    std::string bytes = encodeV3Message(message, authOffset);
    bytes.replace(authOffset, message.Usm.AuthParameters.size(),
                  usmAuthenticationDigest(agent.user.Auth, agent.keys.Auth, bytes));
    return bytes;
}

TEST(UsmSecurity, TakesAPaddedScopedPduForEveryPrivacyProtocol)
{
    // The plain text of the Response above is 44 bytes long: DES pads it to
    // 48, an agent that pads AES to its block to 48 too.
    const struct
    {
        PrivProtocol priv;
        const char* padding;
        UsmRefusal expected;
    } cases[] = {
        {PrivProtocol::AES128, "", UsmRefusal::Ok},
        {PrivProtocol::AES128, "00 00 00 00", UsmRefusal::Ok},
        {PrivProtocol::AES128, "04 04 04 04", UsmRefusal::Ok},
        {PrivProtocol::AES128, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", UsmRefusal::Ok},
        {PrivProtocol::AES128, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
         UsmRefusal::Undecryptable},
        // What the padding holds is not looked at: the digest covers it.
        {PrivProtocol::AES128, "30 00", UsmRefusal::Ok},
        {PrivProtocol::DES, "00 00 00 00", UsmRefusal::Ok},
        {PrivProtocol::DES, "00 00 00 00 00 00 00 00 00 00 00 00", UsmRefusal::Undecryptable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(privProtocolName(c.priv) + " + " + c.padding);
        if (!usmPrivacyAvailable(c.priv))
            continue;
        const AuthProtocol auth =
            c.priv == PrivProtocol::DES ? AuthProtocol::MD5 : AuthProtocol::SHA1;
        const Agent agent = makeAgent(SecurityLevel::AuthPriv, auth, c.priv);
        SnmpEngineState ours = agent.engine;
        UsmReply reply;
        EXPECT_EQ(usmUnwrapReply(paddedResponse(agent, 51, hexBytes(c.padding)), 51, agent.user,
                                 agent.keys, &ours, Clock::now(), reply),
                  c.expected);
        if (c.expected == UsmRefusal::Ok) {
            EXPECT_EQ(reply.Scoped.Pdu.RequestId, 51);
            ASSERT_EQ(reply.Scoped.Pdu.VarBinds.size(), 1u);
            EXPECT_EQ(reply.Scoped.Pdu.VarBinds[0].Oid, "1.3.6.1.2.1.1.3.0");
        }
    }
}

// For every level a user may have, a Response protected more or less than
// the request is refused; a Report may come in clear: an agent that does not
// know the user cannot sign.
TEST(UsmSecurity, AResponseIsProtectedAsTheRequestWas)
{
    using L = SecurityLevel;
    const struct
    {
        SecurityLevel user;
        SecurityLevel reply;
        int pduType;
        UsmRefusal expected;
    } cases[] = {
        {L::AuthPriv, L::AuthPriv, BerTag::GetResponse, UsmRefusal::Ok},
        {L::AuthPriv, L::NoAuthNoPriv, BerTag::GetResponse, UsmRefusal::Unauthenticated},
        {L::AuthPriv, L::AuthNoPriv, BerTag::GetResponse, UsmRefusal::WrongLevel},
        {L::AuthPriv, L::NoAuthNoPriv, BerTag::Report, UsmRefusal::Ok},
        {L::AuthNoPriv, L::AuthNoPriv, BerTag::GetResponse, UsmRefusal::Ok},
        {L::AuthNoPriv, L::NoAuthNoPriv, BerTag::GetResponse, UsmRefusal::Unauthenticated},
        {L::AuthNoPriv, L::AuthPriv, BerTag::GetResponse, UsmRefusal::NotOurs},
        {L::AuthNoPriv, L::NoAuthNoPriv, BerTag::Report, UsmRefusal::Ok},
        {L::NoAuthNoPriv, L::NoAuthNoPriv, BerTag::GetResponse, UsmRefusal::Ok},
        {L::NoAuthNoPriv, L::AuthNoPriv, BerTag::GetResponse, UsmRefusal::NotOurs},
        {L::NoAuthNoPriv, L::AuthPriv, BerTag::GetResponse, UsmRefusal::NotOurs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.user)) + " <- " + std::to_string(int(c.reply)) + " " +
                     std::to_string(c.pduType));
        Agent user = makeAgent(c.user, AuthProtocol::SHA1, PrivProtocol::AES128);
        Agent agent = user;
        agent.user.Level = c.reply;
        SnmpEngineState ours = user.engine;
        UsmReply reply;
        EXPECT_EQ(usmUnwrapReply(response(agent, 9, c.pduType == BerTag::Report ? 0 : 9, c.pduType),
                                 9, user.user, user.keys, &ours, Clock::now(), reply),
                  c.expected);
        if (c.expected == UsmRefusal::Ok) {
            EXPECT_EQ(reply.Authenticated, c.reply != SecurityLevel::NoAuthNoPriv);
        }
    }
}

TEST(UsmSecurity, KeepsTheTimeWindowAndSeesARestart)
{
    Agent agent = makeAgent(SecurityLevel::AuthNoPriv, AuthProtocol::SHA256, PrivProtocol::None);
    const auto now = Clock::now();
    SnmpEngineState ours = agent.engine;
    ours.Synchronised = true;
    ours.LatestReceivedTime = 1000;
    const struct
    {
        const char* name;
        std::uint32_t boots;
        std::uint32_t time;
        UsmRefusal expected;
        bool rebooted;
    } cases[] = {
        {"same time", 3, 1000, UsmRefusal::Ok, false},
        {"150 s behind the latest", 3, 850, UsmRefusal::Ok, false},
        {"151 s behind the latest", 3, 849, UsmRefusal::NotInWindow, false},
        {"older boots", 2, 5000, UsmRefusal::NotInWindow, false},
        {"later time moves the clock", 3, 2000, UsmRefusal::Ok, false},
        {"now 1000 is too old", 3, 1000, UsmRefusal::NotInWindow, false},
        {"new boots: a restart", 4, 5, UsmRefusal::Ok, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        agent.engine.Boots = c.boots;
        agent.engine.Time = c.time;
        agent.engine.Stamp = now;
        UsmReply reply;
        EXPECT_EQ(
            usmUnwrapReply(response(agent, 7, 7), 7, agent.user, agent.keys, &ours, now, reply),
            c.expected);
        EXPECT_EQ(reply.Rebooted, c.rebooted);
    }
    EXPECT_EQ(ours.Boots, 4u);
    EXPECT_EQ(ours.estimatedTime(now + std::chrono::seconds(30)), 35u);

    SnmpEngineState limit = agent.engine;
    limit.Boots = 2147483647;
    limit.Synchronised = true;
    bool rebooted = false;
    EXPECT_FALSE(limit.acceptAuthenticated(2147483647, 10, now, rebooted));
}

TEST(SnmpV3Outcome, EveryUsmReportHasItsOwnOutcome)
{
    const struct
    {
        const char* oid;
        SnmpV3Outcome outcome;
    } cases[] = {
        {"1.3.6.1.6.3.15.1.1.1.0", SnmpV3Outcome::UnsupportedSecLevel},
        {"1.3.6.1.6.3.15.1.1.2.0", SnmpV3Outcome::NotInTimeWindow},
        {"1.3.6.1.6.3.15.1.1.3.0", SnmpV3Outcome::UnknownUserName},
        {"1.3.6.1.6.3.15.1.1.4.0", SnmpV3Outcome::UnknownEngineID},
        {"1.3.6.1.6.3.15.1.1.5.0", SnmpV3Outcome::WrongDigests},
        {"1.3.6.1.6.3.15.1.1.6.0", SnmpV3Outcome::DecryptionErrors},
        {"1.3.6.1.6.3.15.1.1.6", SnmpV3Outcome::OtherReport},
        {"1.3.6.1.6.3.11.2.1.1.0", SnmpV3Outcome::OtherReport},
    };
    std::vector<std::string> texts;
    for (const auto& c : cases) {
        EXPECT_EQ(outcomeOfReport(c.oid), c.outcome) << c.oid;
        texts.push_back(snmpV3OutcomeText(c.outcome, "ann", c.oid));
    }
    // Six different texts for the six counters.
    for (std::size_t i = 0; i < 6; ++i)
        for (std::size_t j = i + 1; j < 6; ++j)
            EXPECT_NE(texts[i], texts[j]);
    EXPECT_NE(texts[2].find("\"ann\""), std::string::npos);
    // An access rule that refuses the level comes back as a named status.
    EXPECT_EQ(snmpV3OutcomeText(SnmpV3Outcome::AgentError, "ann", "16"),
              "Access denied: the agent's access rules do not let user \"ann\" read this at "
              "the chosen security level (error status 16 (authorizationError))");
    EXPECT_EQ(snmpV3OutcomeText(SnmpV3Outcome::AgentError, "ann", "5"),
              "The agent answered with error status 5 (genErr)");
    EXPECT_EQ(snmpV3OutcomeText(SnmpV3Outcome::AgentError, "ann", "99"),
              "The agent answered with error status 99");
}

} // namespace
