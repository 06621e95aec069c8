#include "SnmpDeviceNetwork.h"

#include "SNMPRead.h"
#include "StraySenders.h"
#include "TPINGSend.h"

bool SnmpDeviceNetwork::readValue(const std::string& oid, const std::string& community,
                                  const std::string& host, std::string& value)
{
    return SNMPReadValue(oid, community, host, value);
}

bool SnmpDeviceNetwork::readNext(std::string& oid, const std::string& community,
                                 const std::string& host, std::string& value)
{
    return SNMPReadNext(oid, community, host, value);
}

int SnmpDeviceNetwork::pingRoundTrip(const std::string& host)
{
    return PingRoundTrip(host);
}

std::string SnmpDeviceNetwork::answeredFrom(const std::string& host)
{
    return StraySenders::lookup(host);
}

std::shared_ptr<IDeviceNetwork> defaultDeviceNetwork()
{
    return std::make_shared<SnmpDeviceNetwork>();
}
