#include "UsageSensorKey.h"

#include <cctype>

std::string usageSensorKey(const std::string& hostIP, const std::string& interfaceIndex)
{
    // Host names match without regard to case; the index as stored.
    std::string host;
    for (const char c : hostIP)
        host += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return host + "#" + interfaceIndex;
}
