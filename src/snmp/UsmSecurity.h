#pragma once

// The user-based security model applied to one message: wrapping a request
// (encrypt, then sign) and unwrapping what comes back (check the frame and
// who it is for, verify, keep the time window, decrypt, read the scoped PDU).

#include "SnmpEngineCache.h"
#include "SnmpV3Message.h"
#include "SnmpV3Pdu.h"
#include "SnmpV3User.h"

#include <cstdint>
#include <string>

// The user's keys localised to one engine.
struct UsmLocalKeys
{
    std::string Auth;
    std::string Priv;
};

// Why an answer was not taken; Ok when it was.
enum class UsmRefusal
{
    Ok,
    Malformed,      // not a well-formed version-3 message
    NotOurs,        // another msgID, user or engine
    WrongDigest,    // signed, but not with our key
    NotInWindow,    // signed, but too old for the engine's clock
    Undecryptable,  // privacy failed, or its plain text is no scoped PDU
    WrongLevel,     // a Response protected less than the request was
    Unauthenticated // an unsigned Response to a signed request
};

// Text for a refusal, for the RefusedReply outcome.
std::string usmRefusalText(UsmRefusal refusal);

// The datagram of a request. engine is null for discovery (empty engine id,
// zero boots and time, no protection). False when a key is missing or the
// cipher or random source fails.
bool usmWrapRequest(const SnmpV3User& user, const UsmLocalKeys& keys, const SnmpEngineState* engine,
                    SnmpEngineState::Clock::time_point now, std::int32_t msgId, bool reportable,
                    const ScopedPdu& scoped, std::string& datagram);

struct UsmReply
{
    SnmpV3Message Message;
    ScopedPdu Scoped;
    bool Authenticated = false;
    bool Rebooted = false; // an authenticated message showed newer engine boots
};

// Unwraps an answer to the request with msgId sent as user. engine is the
// agent's state (null during discovery); an authenticated answer moves its
// clock. A Report may come with less protection than the request (an agent
// that cannot check the user cannot sign); a Response may not.
UsmRefusal usmUnwrapReply(const std::string& datagram, std::int32_t msgId, const SnmpV3User& user,
                          const UsmLocalKeys& keys, SnmpEngineState* engine,
                          SnmpEngineState::Clock::time_point now, UsmReply& reply);
