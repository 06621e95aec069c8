#pragma once

#include "ISnmpReader.h"
#include "SharedEngineCache.h"

#include <cstddef>

// The real reader behind the poll and the log, of every version: SNMP gets, ICMP echo and the
// monotonic millisecond clock. Every call has its own client and socket; SNMPv3 reads share only
// what is known of each agent's engine, so that only the first read of an agent pays for its
// discovery and key localisation.
class SnmpSensorNetwork : public ISnmpReader
{
public:
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

    // What the SNMPv3 reads know of the agents' engines.
    const SharedEngineCache& engines() const { return m_engines; }

private:
    TReadReply readV2c(const TReadRequest& request);
    TReadReply readV3(const TReadRequest& request);
    bool walkV3(const TReadRequest& column, std::vector<std::pair<std::string, std::string>>& rows);

    SharedEngineCache m_engines;
};
