#include "SnmpV3Client.h"

#include "LibCrypto.h"

#include "BerTag.h"
#include "SocketErrors.h"
#include "UsmPrivacy.h"
#include "UsmSecurity.h"

#include <algorithm>
#include <chrono>

namespace {

// A request is tried again at most this often after the agent's engine turned
// out to have moved on (new boots or time, or a new engine id).
constexpr int kResynchronisations = 1;
// An agent known to be there answers within this, even far away.
constexpr int kProbeTimeoutMs = 1000;

std::int32_t randomId()
{
    std::uint32_t value = 0;
    if (LibCrypto::RAND_bytes(reinterpret_cast<unsigned char*>(&value), sizeof value) != 1)
        value =
            static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    value &= 0x7FFFFFFFu;
    return static_cast<std::int32_t>(value == 0 ? 1 : value);
}

std::string reportOid(const ScopedPdu& scoped)
{
    return scoped.Pdu.VarBinds.empty() ? std::string() : scoped.Pdu.VarBinds.front().Oid;
}

} // namespace

SnmpV3Client::SnmpV3Client(SnmpEngineCache& cache) : m_cache(cache)
{
    TargetPort = "161";
    Timeout = 5000;
    // Associated with the agent, the socket drops datagrams from any other
    // sender and hears at once of a closed agent port.
    m_sock.AssociatePeer = true;
}

std::string SnmpV3Client::agentKey() const
{
    return snmpAgentKey(TargetHost, TargetPort);
}

std::string SnmpV3Client::settingsProblem() const
{
    if (User.UserName.empty())
        return "no user name";
    if (User.Level == SecurityLevel::NoAuthNoPriv)
        return {};
    if (User.Auth == AuthProtocol::None)
        return "no authentication protocol";
    if (User.AuthPassword.empty())
        return "no authentication password";
    if (User.Level == SecurityLevel::AuthPriv) {
        if (User.Priv == PrivProtocol::None)
            return "no privacy protocol";
        if (User.PrivPassword.empty())
            return "no privacy password";
        if (!usmPrivacyAvailable(User.Priv))
            return privProtocolName(User.Priv) + " is not available in this system's cryptography";
    }
    return {};
}

bool SnmpV3Client::openSocket(SnmpV3Result& result)
{
    if (m_sock.Bind(IPInterface, "0") != SockErr::Ok ||
        m_sock.Connect(TargetHost, TargetPort) != SockErr::Ok) {
        result.Outcome = SnmpV3Outcome::NetworkError;
        result.Detail = SockErr::description(m_sock.LastError());
        return false;
    }
    return true;
}

bool SnmpV3Client::roundTrip(const ScopedPdu& scoped, SnmpEngineState* engine, SnmpV3Result& result,
                             UsmReply& reply)
{
    UsmLocalKeys keys;
    if (engine && User.Level != SecurityLevel::NoAuthNoPriv) {
        keys.Auth = m_cache.localizedKey(User.Auth, User.AuthPassword, engine->EngineID);
        if (User.Level == SecurityLevel::AuthPriv)
            keys.Priv = m_cache.localizedKey(User.Auth, User.PrivPassword, engine->EngineID);
    }
    const std::int32_t msgId = randomId();
    std::string datagram;
    if (!usmWrapRequest(User, keys, engine, SnmpEngineState::Clock::now(), msgId, true, scoped,
                        datagram)) {
        result.Outcome = SnmpV3Outcome::BadSettings;
        result.Detail = "the request could not be protected";
        return false;
    }
    ++result.RoundTrips;
    if (m_sock.SendText(datagram) != SockErr::Ok) {
        result.Outcome = SnmpV3Outcome::NetworkError;
        result.Detail = SockErr::description(m_sock.LastError());
        return false;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(Timeout > 0 ? Timeout : 0);
    UsmRefusal lastRefusal = UsmRefusal::Ok;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const std::string answer =
            m_sock.ReceivePacket(left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (m_sock.LastError() != SockErr::Ok) {
            if (m_sock.LastError() == SockErr::ConnectionReset) {
                result.Outcome = SnmpV3Outcome::PortUnreachable;
            } else if (lastRefusal != UsmRefusal::Ok) {
                // Something came, but nothing that could be taken: say why.
                result.Outcome = SnmpV3Outcome::RefusedReply;
                result.Detail = usmRefusalText(lastRefusal);
            } else {
                result.Outcome = SnmpV3Outcome::NoAnswer;
            }
            return false;
        }
        const UsmRefusal refusal =
            usmUnwrapReply(answer, msgId, User, keys, engine, SnmpEngineState::Clock::now(), reply);
        if (reply.Rebooted)
            result.EngineRebooted = true;
        if (refusal != UsmRefusal::Ok) {
            lastRefusal = refusal;
            continue;
        }
        result.EngineBoots = reply.Message.Usm.EngineBoots;
        // A Report may not carry the request-id when the agent could not read
        // the PDU (wrong privacy key); a Response must.
        const std::int32_t id = reply.Scoped.Pdu.RequestId;
        if (id == scoped.Pdu.RequestId || (reply.Scoped.Pdu.Type == BerTag::Report && id == 0))
            return true;
        lastRefusal = UsmRefusal::NotOurs;
    }
}

bool SnmpV3Client::discover(SnmpV3Result& result)
{
    ScopedPdu probe;
    probe.Pdu.Type = BerTag::GetRequest;
    probe.Pdu.RequestId = randomId();
    UsmReply reply;
    if (!roundTrip(probe, nullptr, result, reply))
        return false;
    if (reply.Scoped.Pdu.Type != BerTag::Report || reply.Message.Usm.EngineID.empty()) {
        result.Outcome = SnmpV3Outcome::RefusedReply;
        result.Detail = "engine discovery got no engine id";
        return false;
    }
    m_cache.learn(agentKey(), reply.Message.Usm.EngineID, reply.Message.Usm.EngineBoots,
                  reply.Message.Usm.EngineTime, SnmpEngineState::Clock::now());
    return true;
}

bool SnmpV3Client::answersWithoutPrivacy()
{
    SnmpEngineState* engine = m_cache.find(agentKey());
    if (!engine)
        return false;
    const SnmpV3User full = User;
    const int fullTimeout = Timeout;
    User.Level = SecurityLevel::AuthNoPriv;
    Timeout = std::min(Timeout, kProbeTimeoutMs);
    // No bindings: a probe in clear must not make the agent send any value in
    // clear.
    ScopedPdu probe;
    probe.ContextEngineID = engine->EngineID;
    probe.ContextName = ContextName;
    probe.Pdu.Type = BerTag::GetRequest;
    probe.Pdu.RequestId = randomId();
    SnmpV3Result ignored;
    UsmReply reply;
    const bool answered = roundTrip(probe, engine, ignored, reply) && reply.Authenticated;
    User = full;
    Timeout = fullTimeout;
    return answered;
}

SnmpV3Result SnmpV3Client::request(int pduType, const std::vector<std::string>& oids,
                                   std::int32_t nonRepeaters, std::int32_t maxRepetitions)
{
    SnmpV3Result result = exchange(pduType, oids, nonRepeaters, maxRepetitions);
    // An agent that cannot decrypt a request mostly drops it without a word.
    // If it does answer the same user signed but in clear, the agent is there
    // and the signing key is right: the privacy settings are what is wrong.
    if (result.Outcome == SnmpV3Outcome::NoAnswer && User.Level == SecurityLevel::AuthPriv &&
        answersWithoutPrivacy()) {
        result.Outcome = SnmpV3Outcome::DecryptionErrors;
        result.Detail = "no answer to encrypted requests";
        ++result.RoundTrips;
    }
    return result;
}

SnmpV3Result SnmpV3Client::exchange(int pduType, const std::vector<std::string>& oids,
                                    std::int32_t nonRepeaters, std::int32_t maxRepetitions)
{
    SnmpV3Result result;
    const std::string problem = settingsProblem();
    if (!problem.empty()) {
        result.Outcome = SnmpV3Outcome::BadSettings;
        result.Detail = problem;
        return result;
    }
    if (!openSocket(result))
        return result;
    if (!m_cache.find(agentKey()) && !discover(result))
        return result;

    ScopedPdu scoped;
    scoped.ContextName = ContextName;
    scoped.Pdu.Type = pduType;
    scoped.Pdu.ErrorStatus = pduType == BerTag::GetBulkRequest ? nonRepeaters : 0;
    scoped.Pdu.ErrorIndex = pduType == BerTag::GetBulkRequest ? maxRepetitions : 0;
    for (const std::string& oid : oids) {
        SnmpBinding bind;
        bind.Oid = oid;
        scoped.Pdu.VarBinds.push_back(bind);
    }

    for (int attempt = 0; attempt <= kResynchronisations; ++attempt) {
        SnmpEngineState* engine = m_cache.find(agentKey());
        scoped.ContextEngineID = engine->EngineID;
        scoped.Pdu.RequestId = randomId();
        UsmReply reply;
        if (!roundTrip(scoped, engine, result, reply))
            return result;
        if (reply.Scoped.Pdu.Type == BerTag::Report) {
            const std::string oid = reportOid(reply.Scoped);
            result.Outcome = outcomeOfReport(oid);
            result.Detail = oid;
            const bool retry = attempt < kResynchronisations;
            if (result.Outcome == SnmpV3Outcome::NotInTimeWindow && reply.Authenticated && retry)
                continue; // the report itself set our clock to the agent's
            if (result.Outcome == SnmpV3Outcome::UnknownEngineID && retry &&
                !reply.Message.Usm.EngineID.empty() &&
                reply.Message.Usm.EngineID != engine->EngineID) {
                m_cache.learn(agentKey(), reply.Message.Usm.EngineID, reply.Message.Usm.EngineBoots,
                              reply.Message.Usm.EngineTime, SnmpEngineState::Clock::now());
                continue;
            }
            // The engine we knew is in doubt: find it again next time.
            if (result.Outcome == SnmpV3Outcome::NotInTimeWindow ||
                result.Outcome == SnmpV3Outcome::UnknownEngineID)
                m_cache.forget(agentKey());
            return result;
        }
        if (reply.Scoped.Pdu.ErrorStatus != 0) {
            result.Outcome = SnmpV3Outcome::AgentError;
            result.Detail = std::to_string(reply.Scoped.Pdu.ErrorStatus);
            return result;
        }
        result.Outcome = SnmpV3Outcome::Ok;
        result.Detail.clear();
        result.VarBinds = std::move(reply.Scoped.Pdu.VarBinds);
        return result;
    }
    return result;
}
