#include "ShowRouterInfo.h"

#include "DialogMessages.h"
#include "IDeviceNetwork.h"

namespace {

const char* const kSysName = "1.3.6.1.2.1.1.5.0";
const char* const kSysNameBare = "1.3.6.1.2.1.1.5";
const char* const kSysDescr = "1.3.6.1.2.1.1.1.0";
const char* const kSysDescrBare = "1.3.6.1.2.1.1.1";
const char* const kIfNumberBare = "1.3.6.1.2.1.2.1";
const char* const kIfNumber = "1.3.6.1.2.1.2.1.0";
const char* const kLineBreak = "\n\r";

// The first non-empty answer of two reads, or "Not Found". Only the texts
// count here: whether a read failed is not asked.
std::string firstAnswer(IDeviceNetwork& network, const std::string& first,
                        const std::string& second, const std::string& community,
                        const std::string& host)
{
    std::string value;
    network.readValue(first, community, host, value);
    if (value.empty())
        network.readValue(second, community, host, value);
    return value.empty() ? "Not Found" : value;
}

} // namespace

bool ShowRouterInfo(IDeviceNetwork& network, const std::string& host, const std::string& community)
{
    std::string name;
    if (!network.readValue(kSysName, community, host, name)) {
        // An agent that refused (an SNMPv3 Report: wrong password, unknown
        // user...) is named with its reason, which the user can act on.
        const std::string failure = network.lastFailure(host);
        std::string message =
            failure.empty()
                ? "The device with the IP Address \"" + host +
                      "\" did not reply to the SNMP call. Check SNMP host, community or MIB OID!"
                : failure + kLineBreak + "IP Address / DNS Name: " + host;
        // Refused for safety, but the user can only fix it when told.
        const std::string other = network.answeredFrom(host);
        if (!other.empty())
            message +=
                kLineBreak + ("The device answered from " + other + "; poll that address instead.");
        DialogMessages::error(QString::fromStdString(message));
        return false;
    }
    if (name.empty())
        network.readValue(kSysNameBare, community, host, name);
    if (name.empty())
        name = "Not Found";
    const std::string description = firstAnswer(network, kSysDescr, kSysDescrBare, community, host);
    const std::string count = firstAnswer(network, kIfNumberBare, kIfNumber, community, host);

    DialogMessages::information(QString::fromStdString(
        "Device Name: " + name + kLineBreak + "Interfaces found: " + count + kLineBreak +
        "IP Address / DNS Name: " + host + kLineBreak + "Description: " + description));
    return true;
}
