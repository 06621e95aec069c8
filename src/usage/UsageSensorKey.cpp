#include "UsageSensorKey.h"

#include "SensorPollV2c.h"

#include <cctype>

std::string usageSensorKey(const std::string& hostIP, const std::string& interfaceIndex,
                           bool swapped, int32_t snmpVersion)
{
    // Host names match without regard to case; the index as stored.
    std::string host;
    for (const char c : hostIP)
        host += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string key = host + "#" + interfaceIndex;
    if (swapped)
        key += "#swapped";
    if (snmpVersion == SensorPoll::kSnmpVersion2c)
        key += "#v2c";
    else if (snmpVersion == SensorPoll::kSnmpVersion3)
        key += "#v3";
    return key;
}
