#pragma once

// The reads of agents that speak SNMPv2c: several values in one get, and a
// table column in GetBulk pages. Same exchange rules as SNMPReadValue: a
// fresh client and socket per request, one datagram out, no retry, the reply
// taken only from the agent's address and only when it answers this request
// (and, here, only when it passes the strict reply check).

#include "SnmpResponse.h"
#include "SnmpWalk.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The message version field.
constexpr int SNMPVersion1 = 0;
constexpr int SNMPVersion2c = 1;

constexpr int SNMPDefaultTimeoutMs = 5000;

enum class SNMPReadOutcome
{
    Value,     // the agent gave a value
    Exception, // noSuchObject, noSuchInstance or endOfMibView: no value
    Missing,   // an error status, a NULL echo, or no binding for this OID
};

struct SNMPReading
{
    SNMPReadOutcome Outcome = SNMPReadOutcome::Missing;
    SnmpBinding Binding; // the reply's binding; its OID is the one asked for
};

// Matches a reply to the OIDs asked for, binding by binding: reading i is a
// value only when the reply's binding i carries exactly oids[i].
std::vector<SNMPReading> matchReadings(const std::vector<std::string>& oids,
                                       const SnmpResponse& reply);

// One GetRequest for all of oids. True when the agent answered; readings then
// has one entry per OID, in order. False (readings empty) on a time-out or any
// socket error.
bool SNMPReadValues(const std::vector<std::string>& oids, const std::string& community,
                    const std::string& host, int version, std::vector<SNMPReading>& readings,
                    int timeoutMs = SNMPDefaultTimeoutMs);

// Walks the column (dotted OID text, such as 1.3.6.1.2.1.2.2.1.2 for ifDescr)
// with SNMPv2c GetBulk requests, at most maxRows rows (and the other limits
// as SnmpWalkLimits has them). True when every page was answered and the walk
// ended or reached maxRows; rows then holds the column's bindings in order.
// False when a page got no answer, the agent's names went backwards, or
// another limit was reached (rows then holds what was read before).
bool SNMPBulkWalk(const std::string& column, const std::string& community, const std::string& host,
                  std::size_t maxRows, std::vector<SnmpBinding>& rows,
                  int timeoutMs = SNMPDefaultTimeoutMs);

// The same walk within limits (rows, bytes, an overall deadline; each page
// waits at most timeoutMs), saying how it ended. rows holds what was taken
// however it ended; only Complete means the column was read to its end.
SnmpWalkEnd SNMPBulkWalk(const std::string& column, const std::string& community,
                         const std::string& host, const SnmpWalkLimits& limits,
                         std::vector<SnmpBinding>& rows, int timeoutMs = SNMPDefaultTimeoutMs);

// One get of SNMPReadTogether.
struct SNMPGetRequest
{
    std::vector<std::string> oids;
    std::string community;
    std::string host;
    int version = SNMPVersion2c;
};

// How one get of SNMPReadTogether ended.
struct SNMPGetEnd
{
    bool answered = false;
    std::vector<SNMPReading> readings; // as SNMPReadValues gives them
    // The tick count (TickCount32) just before the request went out and when
    // its wait ended.
    std::uint32_t sentTick = 0;
    std::uint32_t endTick = 0;
};

using SNMPGetEnded = std::function<void(std::size_t index, SNMPGetEnd end)>;

// Several gets, each to its agent as SNMPReadValues sends it (the same
// strict check of the reply; the gets to one agent share one socket, each
// known by its request id), sent one after the other and then waited for
// together on the calling thread: one thread wakes for all the answers
// instead of one thread per agent. `ended` runs once per
// request, as each one ends: when its answer is in, when its own time-out
// has passed, or at once on a socket error, so no get waits for another.
// When the calling thread's WaitCancel fires, every get still out ends
// unanswered at once.
void SNMPReadTogether(const std::vector<SNMPGetRequest>& requests, const SNMPGetEnded& ended,
                      int timeoutMs = SNMPDefaultTimeoutMs);
