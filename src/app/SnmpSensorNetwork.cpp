#include "SnmpSensorNetwork.h"

#include "SNMPRead.h"
#include "TPINGSend.h"
#include "TickCount.h"

bool SnmpSensorNetwork::readValue(const std::string& oid, const std::string& community,
                                  const std::string& host, std::string& value)
{
    return SNMPReadValue(oid, community, host, value);
}

int SnmpSensorNetwork::pingRoundTrip(const std::string& host)
{
    return PingRoundTrip(host);
}

uint32_t SnmpSensorNetwork::tickCount()
{
    return TickCount32();
}
