#include "UsageSensorKey.h"

#include "StoredCodes.h"

#include <cctype>

std::string usageSensorKey(const std::string& hostIP, const std::string& interfaceIndex,
                           bool swapped, TSnmpVersion snmpVersion)
{
    // Host names match without regard to case; the index as stored.
    std::string host;
    for (const char c : hostIP)
        host += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string key = host + "#" + interfaceIndex;
    if (swapped)
        key += "#swapped";
    if (snmpVersion == TSnmpVersion::V2c)
        key += "#v2c";
    else if (snmpVersion == TSnmpVersion::V3)
        key += "#v3";
    return key;
}
