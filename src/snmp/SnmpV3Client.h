#pragma once

// One SNMPv3 request with everything around it: engine discovery when the
// agent is not known yet, the request itself, and one re-synchronisation when
// the agent's clock or engine changed (a restart). Like TSNMPSend it uses a
// socket of its own, associated with the agent, and waits up to Timeout for
// each answer; msgID and request-id are fresh random numbers per message and
// an answer must carry both back.

#include "SnmpEngineCache.h"
#include "SnmpV3Outcome.h"
#include "SnmpV3Pdu.h"
#include "SnmpV3User.h"
#include "SnmpWalk.h"
#include "TKeloClient.h"
#include "TUDPBlockSocket.h"

#include <string>
#include <vector>

struct UsmReply;

struct SnmpV3Result
{
    SnmpV3Outcome Outcome = SnmpV3Outcome::NoAnswer;
    std::string Detail;                // report OID, error status or refusal reason
    std::vector<SnmpBinding> VarBinds; // only with Outcome Ok
    bool EngineRebooted = false;       // the agent restarted since it was last seen
    std::int64_t EngineBoots = -1;     // of the last message taken; -1 before one
    int RoundTrips = 0;
    // Walks only: how the walk ended; VarBinds holds the rows taken before.
    SnmpWalkEnd WalkEnd = SnmpWalkEnd::Complete;

    bool ok() const { return Outcome == SnmpV3Outcome::Ok; }
};

class SnmpV3Client : public TKeloClient
{
public:
    explicit SnmpV3Client(SnmpEngineCache& cache);

    SnmpV3User User;
    std::string ContextName;

    // A GetRequest or GetNextRequest of the OIDs, or a GetBulkRequest with
    // nonRepeaters and maxRepetitions. Bindings come back only with Ok.
    SnmpV3Result request(int pduType, const std::vector<std::string>& oids,
                         std::int32_t nonRepeaters = 0, std::int32_t maxRepetitions = 0);

private:
    SnmpV3Result exchange(int pduType, const std::vector<std::string>& oids,
                          std::int32_t nonRepeaters, std::int32_t maxRepetitions);
    bool answersWithoutPrivacy();
    bool openSocket(SnmpV3Result& result);
    bool discover(SnmpV3Result& result);
    // One message out and its answer in; false with the outcome set when no
    // valid answer came.
    bool roundTrip(const ScopedPdu& scoped, SnmpEngineState* engine, SnmpV3Result& result,
                   UsmReply& reply);
    std::string agentKey() const;
    std::string settingsProblem() const;

    SnmpEngineCache& m_cache;
    TUDPBlockSocket m_sock;
};
