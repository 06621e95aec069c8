#pragma once

#include "ISensorNetwork.h"
#include "SNMPRead.h"
#include "TickCount.h"

// The poll's reads over the real SNMP client and clock. Pings always fail:
// the poll tests and benchmarks run with DoPing off.
class SnmpReadNetwork : public ISensorNetwork
{
public:
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        return SNMPReadValue(oid, community, host, value);
    }
    int pingRoundTrip(const std::string&) override
    {
        ++pings;
        return -1;
    }
    uint32_t tickCount() override { return TickCount32(); }

    int pings = 0;
};
