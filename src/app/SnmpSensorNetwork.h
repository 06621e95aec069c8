#pragma once

#include "ISensorNetwork.h"

#include <cstddef>

// The real network behind the poll: SNMP gets, ICMP echo and the monotonic
// millisecond clock. Every call has its own client and socket, so calls from
// several threads never share anything.
class SnmpSensorNetwork : public ISensorNetwork
{
public:
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
    TReadReply read(const TReadRequest& request) override;
    bool readsTogether() const override { return true; }
    // SNMPv2c gets only; a request of another version ends unanswered.
    void readTogether(const std::vector<TReadRequest>& requests, const ReadEnded& ended) override;
    bool walk(const TReadRequest& column,
              std::vector<std::pair<std::string, std::string>>& rows) override;
    int pingRoundTrip(const std::string& host) override;
    uint32_t tickCount() override;

    // More rows than an agent has interfaces in practice; a walk that goes
    // on stops here.
    static constexpr std::size_t kMaxWalkRows = 4096;

private:
    TReadReply readV2c(const TReadRequest& request);
};
