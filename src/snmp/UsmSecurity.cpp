#include "UsmSecurity.h"

#include "BerTag.h"
#include "UsmAuthentication.h"
#include "UsmPrivacy.h"

namespace {

bool wantsAuth(const SnmpV3User& user)
{
    return user.Level != SecurityLevel::NoAuthNoPriv;
}

bool wantsPriv(const SnmpV3User& user)
{
    return user.Level == SecurityLevel::AuthPriv;
}

} // namespace

std::string usmRefusalText(UsmRefusal refusal)
{
    switch (refusal) {
    case UsmRefusal::Ok:
        return "accepted";
    case UsmRefusal::Malformed:
        return "not a well-formed SNMPv3 message";
    case UsmRefusal::NotOurs:
        return "an answer to another request, user or engine";
    case UsmRefusal::WrongDigest:
        return "its authentication digest is wrong";
    case UsmRefusal::NotInWindow:
        return "it is outside the agent's time window";
    case UsmRefusal::Undecryptable:
        return "it could not be decrypted";
    case UsmRefusal::WrongLevel:
        return "it is protected less than the request";
    case UsmRefusal::Unauthenticated:
        return "it is not authenticated";
    }
    return "unknown";
}

bool usmWrapRequest(const SnmpV3User& user, const UsmLocalKeys& keys, const SnmpEngineState* engine,
                    SnmpEngineState::Clock::time_point now, std::int32_t msgId, bool reportable,
                    const ScopedPdu& scoped, std::string& datagram)
{
    datagram.clear();
    SnmpV3Message message;
    message.MsgID = msgId;
    message.MsgFlags = reportable ? V3Flags::Reportable : 0;
    const bool discovery = engine == nullptr;
    const bool auth = !discovery && wantsAuth(user);
    const bool priv = !discovery && wantsPriv(user);
    if (!discovery) {
        message.Usm.EngineID = engine->EngineID;
        message.Usm.UserName = user.UserName;
        if (auth) {
            message.Usm.EngineBoots = engine->Boots;
            message.Usm.EngineTime = engine->estimatedTime(now);
        }
    }
    std::string plain = encodeScopedPdu(scoped);
    if (priv) {
        message.MsgFlags |= V3Flags::Priv;
        message.Usm.PrivParameters = usmMakeSalt(user.Priv, message.Usm.EngineBoots);
        if (message.Usm.PrivParameters.empty() ||
            !usmEncrypt(user.Priv, keys.Priv, message.Usm.EngineBoots, message.Usm.EngineTime,
                        message.Usm.PrivParameters, plain, message.Data))
            return false;
    } else {
        message.Data = plain;
    }
    if (auth) {
        message.MsgFlags |= V3Flags::Auth;
        message.Usm.AuthParameters.assign(authMacLength(user.Auth), '\0');
    }
    std::size_t authOffset = 0;
    std::string bytes = encodeV3Message(message, authOffset);
    if (auth) {
        const std::string digest = usmAuthenticationDigest(user.Auth, keys.Auth, bytes);
        if (digest.size() != authMacLength(user.Auth))
            return false;
        bytes.replace(authOffset, digest.size(), digest);
    }
    datagram.swap(bytes);
    return true;
}

UsmRefusal usmUnwrapReply(const std::string& datagram, std::int32_t msgId, const SnmpV3User& user,
                          const UsmLocalKeys& keys, SnmpEngineState* engine,
                          SnmpEngineState::Clock::time_point now, UsmReply& reply)
{
    reply = UsmReply{};
    std::size_t authOffset = 0;
    if (!decodeV3Message(datagram, reply.Message, authOffset))
        return UsmRefusal::Malformed;
    const SnmpV3Message& message = reply.Message;
    if (message.MsgID != msgId)
        return UsmRefusal::NotOurs;
    // The reportable flag of an answer is not looked at: RFC 3412 uses it
    // only for messages whose PDU cannot be read, and some agents set it.

    const bool signedReply = (message.MsgFlags & V3Flags::Auth) != 0;
    const bool privateReply = (message.MsgFlags & V3Flags::Priv) != 0;
    if (signedReply) {
        if (!engine || !wantsAuth(user) || message.Usm.EngineID != engine->EngineID ||
            message.Usm.UserName != user.UserName)
            return UsmRefusal::NotOurs;
        std::string zeroed = datagram;
        zeroed.replace(authOffset, message.Usm.AuthParameters.size(),
                       message.Usm.AuthParameters.size(), '\0');
        if (!usmDigestMatches(user.Auth, keys.Auth, zeroed, message.Usm.AuthParameters))
            return UsmRefusal::WrongDigest;
        if (!engine->acceptAuthenticated(message.Usm.EngineBoots, message.Usm.EngineTime, now,
                                         reply.Rebooted))
            return UsmRefusal::NotInWindow;
        reply.Authenticated = true;
    }

    if (privateReply) {
        if (!wantsPriv(user))
            return UsmRefusal::NotOurs;
        std::string plain;
        if (!usmDecrypt(user.Priv, keys.Priv, message.Usm.EngineBoots, message.Usm.EngineTime,
                        message.Usm.PrivParameters, message.Data, plain) ||
            !decodeScopedPdu(plain, usmPrivacyBlock(user.Priv), reply.Scoped))
            return UsmRefusal::Undecryptable;
    } else if (!decodeScopedPdu(message.Data, 0, reply.Scoped)) {
        return UsmRefusal::Malformed;
    }

    if (reply.Scoped.Pdu.Type == BerTag::Report)
        return UsmRefusal::Ok;
    if (reply.Scoped.Pdu.Type != BerTag::GetResponse)
        return UsmRefusal::NotOurs;
    // A Response is protected exactly as the request was.
    if (wantsAuth(user) && !signedReply)
        return UsmRefusal::Unauthenticated;
    if (wantsPriv(user) != privateReply || (!wantsAuth(user) && signedReply))
        return UsmRefusal::WrongLevel;
    if (!engine)
        return UsmRefusal::NotOurs; // discovery is answered by a Report
    return UsmRefusal::Ok;
}
