#include "SnmpDeviceNetwork.h"

#include "SNMPRead.h"

#if __has_include("TPINGSend.h")
#include "TPINGSend.h"
#define TRAVIMETRA_HAVE_PING 1
#endif

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
#ifdef TRAVIMETRA_HAVE_PING
    return PingRoundTrip(host);
#else
    // TEMPORARY until the echo client is in this tree: no reply.
    (void)host;
    return -1;
#endif
}

std::shared_ptr<IDeviceNetwork> defaultDeviceNetwork()
{
    return std::make_shared<SnmpDeviceNetwork>();
}
