#include "SnmpV3Outcome.h"

#include "MibOids.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::array<std::pair<const char*, SnmpV3Outcome>, 6> kReports{{
    {Mib::kUsmStatsUnsupportedSecLevels0, SnmpV3Outcome::UnsupportedSecLevel},
    {Mib::kUsmStatsNotInTimeWindows0, SnmpV3Outcome::NotInTimeWindow},
    {Mib::kUsmStatsUnknownUserNames0, SnmpV3Outcome::UnknownUserName},
    {Mib::kUsmStatsUnknownEngineIDs0, SnmpV3Outcome::UnknownEngineID},
    {Mib::kUsmStatsWrongDigests0, SnmpV3Outcome::WrongDigests},
    {Mib::kUsmStatsDecryptionErrors0, SnmpV3Outcome::DecryptionErrors},
}};

// Error status names of RFC 3416, indexed by the status.
constexpr std::array<const char*, 19> kErrorStatus{"noError",
                                                   "tooBig",
                                                   "noSuchName",
                                                   "badValue",
                                                   "readOnly",
                                                   "genErr",
                                                   "noAccess",
                                                   "wrongType",
                                                   "wrongLength",
                                                   "wrongEncoding",
                                                   "wrongValue",
                                                   "noCreation",
                                                   "inconsistentValue",
                                                   "resourceUnavailable",
                                                   "commitFailed",
                                                   "undoFailed",
                                                   "authorizationError",
                                                   "notWritable",
                                                   "inconsistentName"};

std::string errorStatusText(const std::string& status)
{
    std::size_t index = kErrorStatus.size();
    try {
        index = static_cast<std::size_t>(std::stoul(status));
    } catch (const std::exception&) {
    }
    if (index < kErrorStatus.size())
        return status + " (" + kErrorStatus[index] + ")";
    return status;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

SnmpV3Outcome outcomeOfReport(const std::string& reportOid)
{
    for (const auto& [oid, outcome] : kReports)
        if (reportOid == oid)
            return outcome;
    return SnmpV3Outcome::OtherReport;
}

std::string snmpV3OutcomeText(SnmpV3Outcome outcome, const std::string& userName,
                              const std::string& detail)
{
    const std::string user = quoted(userName);
    switch (outcome) {
    case SnmpV3Outcome::Ok:
        return "OK";
    case SnmpV3Outcome::BadSettings:
        return "SNMPv3 settings incomplete: " + detail;
    case SnmpV3Outcome::NetworkError:
        return "Network error: the agent's address could not be reached";
    case SnmpV3Outcome::NoAnswer:
        return "Host did not reply";
    case SnmpV3Outcome::PortUnreachable:
        return "No SNMP agent on this host (port unreachable)";
    case SnmpV3Outcome::RefusedReply:
        return "The agent's answer was refused: " + detail;
    case SnmpV3Outcome::UnknownUserName:
        return "Unknown user: the agent has no SNMPv3 user " + user;
    case SnmpV3Outcome::WrongDigests:
        return "Authentication failed: wrong password or authentication protocol for user " + user;
    case SnmpV3Outcome::DecryptionErrors:
        return "Decryption failed: wrong privacy password or privacy protocol for user " + user;
    case SnmpV3Outcome::UnsupportedSecLevel:
        return "Security level not supported: the agent does not allow this security level for "
               "user " +
               user;
    case SnmpV3Outcome::UnknownEngineID:
        return "Unknown engine ID: the agent did not accept its own engine ID";
    case SnmpV3Outcome::NotInTimeWindow:
        return "Not in time window: the agent's engine clock could not be synchronised";
    case SnmpV3Outcome::OtherReport:
        return "The agent refused the request (report " + detail + ")";
    case SnmpV3Outcome::AgentError:
        // noAccess and authorizationError: the user is known and the keys
        // are right, but the access rules do not allow this read.
        if (detail == "6" || detail == "16")
            return "Access denied: the agent's access rules do not let user " + user +
                   " read this at the chosen security level (error status " +
                   errorStatusText(detail) + ")";
        return "The agent answered with error status " + errorStatusText(detail);
    }
    return "Unknown SNMPv3 failure";
}
