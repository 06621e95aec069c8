#pragma once

// How a version-3 request ended, as something a user can act on. The agent's
// Reports each have their own outcome; none of them ever carries a value.

#include <string>

enum class SnmpV3Outcome
{
    Ok,
    BadSettings,         // the user's own settings cannot make a request
    NetworkError,        // the name did not resolve or the socket failed
    NoAnswer,            // nothing within the time-out
    PortUnreachable,     // the agent's host said nothing listens there
    RefusedReply,        // answers came but none was a valid reply to this request
    UnknownUserName,     // usmStatsUnknownUserNames
    WrongDigests,        // usmStatsWrongDigests
    DecryptionErrors,    // usmStatsDecryptionErrors
    UnsupportedSecLevel, // usmStatsUnsupportedSecLevels
    UnknownEngineID,     // usmStatsUnknownEngineIDs
    NotInTimeWindow,     // usmStatsNotInTimeWindows
    OtherReport,         // any other Report the agent sent
    AgentError,          // a Response with a non-zero error status
};

// The usmStats counter a Report names (its first binding's OID), or
// OtherReport for any other OID.
SnmpV3Outcome outcomeOfReport(const std::string& reportOid);

// The text the device dialog and the sensor's error texts show. userName
// names the user where it matters; detail is the report's OID, the agent's
// error status or the refusal's reason.
std::string snmpV3OutcomeText(SnmpV3Outcome outcome, const std::string& userName,
                              const std::string& detail = {});
