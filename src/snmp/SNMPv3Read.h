#pragma once

// The version-3 reads the rest of the program calls: a get of several OIDs in
// one request (sysUpTime and both counters of a sensor sampled together), a
// get-next, and a walk of a subtree by get-bulk. Each call has its own client
// and socket; the engine cache is the caller's, kept per agent between calls.

#include "SnmpEngineCache.h"
#include "SnmpV3Client.h"
#include "SnmpV3User.h"

#include <string>
#include <vector>

// One GetRequest of all oids. Ok only when the Response carries exactly the
// requested OIDs in order; a binding may still hold an exception (no such
// object or instance), which is a failed read of that OID, never a value.
SnmpV3Result SNMPv3Get(const std::vector<std::string>& oids, const SnmpV3User& user,
                       const std::string& host, SnmpEngineCache& cache);

// One GetNextRequest of oid; Ok gives one binding.
SnmpV3Result SNMPv3GetNext(const std::string& oid, const SnmpV3User& user, const std::string& host,
                           SnmpEngineCache& cache);

// The bindings under root in OID order, by GetBulkRequests of maxRepetitions
// rows, stopping at the end of the subtree, at endOfMibView, or after maxRows
// bindings: Ok with what was found. RefusedReply when the agent goes back or
// stands still; else the outcome of the request that failed. WalkEnd says how
// the walk ended, and VarBinds holds the rows taken before however it ended.
SnmpV3Result SNMPv3Walk(const std::string& root, const SnmpV3User& user, const std::string& host,
                        SnmpEngineCache& cache, std::size_t maxRows = 1000,
                        std::int32_t maxRepetitions = 20);
// The same within limits; a limit reached is Ok with the rows taken, and
// the WalkEnd that names the limit.
SnmpV3Result SNMPv3Walk(const std::string& root, const SnmpV3User& user, const std::string& host,
                        SnmpEngineCache& cache, const SnmpWalkLimits& limits,
                        std::int32_t maxRepetitions = 20);

// True when oid lies strictly under root ("1.3.6.1.2.1.2" holds "1.3.6.1.2.1.2.2.1").
bool oidIsUnder(const std::string& oid, const std::string& root);
// True when b comes after a in OID order (arc by arc, numerically).
bool oidIsAfter(const std::string& b, const std::string& a);
