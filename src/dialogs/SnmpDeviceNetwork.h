#pragma once

#include "IDeviceNetwork.h"

// The agents themselves, over SNMPv1 and ICMP echo.
class SnmpDeviceNetwork : public IDeviceNetwork
{
public:
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
    bool readNext(std::string& oid, const std::string& community, const std::string& host,
                  std::string& value) override;
    int pingRoundTrip(const std::string& host) override;
    std::string answeredFrom(const std::string& host) override;
};
