#pragma once

#include "SnmpValue.h"

#include <string>
#include <vector>

// What one SNMP get brought back.
struct TSnmpGetOutcome
{
    bool answered = false;           // the agent itself answered
    std::vector<std::string> values; // one text per OID asked, in order; empty texts on failure
    std::vector<SnmpValue> typed;    // the same values as they came, numbers as numbers
    std::string otherSender;         // set when another address answered in the agent's place
};

// One GetRequest carrying every OID of `oids` as a binding, to `host` on UDP
// port 161: one datagram out, one answer awaited (5000 ms, no retry). With a
// single OID the bytes on the wire are those of SNMPReadValue.
TSnmpGetOutcome SNMPGet(const std::vector<std::string>& oids, const std::string& community,
                        const std::string& host);
