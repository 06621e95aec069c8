#pragma once

#include "ISensorNetwork.h"
#include "ITrafficLogIO.h"

// The log's outside world seen as the poll's, so that the log reads an
// SNMPv2c sensor with the poll's own reads. The log never pings.
class LogIONetwork : public ISensorNetwork
{
public:
    explicit LogIONetwork(ITrafficLogIO& io);

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
    TReadReply read(const TReadRequest& request) override;
    int pingRoundTrip(const std::string& host) override;
    uint32_t tickCount() override;

private:
    ITrafficLogIO& m_io;
};
