#include "DeviceInfoBox.h"

#include "DeviceDiscovery.h"
#include "DialogMessages.h"
#include "SensorPoll.h"

namespace {

const char* const kLineBreak = "\n\r";

} // namespace

void showDeviceInfo(const DeviceInfo& info, const std::string& host)
{
    if (!info.answered) {
        // An agent that refused (an SNMPv3 Report: wrong password, unknown
        // user...) is named with its reason, which the user can act on.
        std::string message =
            info.failure.empty()
                ? "The device with the IP Address \"" + host +
                      "\" did not reply to the SNMP call. Check SNMP host, community or MIB OID!"
                : info.failure + kLineBreak + "IP Address / DNS Name: " + host;
        // Refused for safety, but the user can only fix it when told.
        if (!info.answeredFrom.empty())
            message += kLineBreak + SensorPoll::answeredFromText(info.answeredFrom);
        DialogMessages::error(QString::fromStdString(message));
        return;
    }
    DialogMessages::information(QString::fromStdString(
        "Device Name: " + info.name + kLineBreak + "Interfaces found: " + info.interfaces +
        kLineBreak + "IP Address / DNS Name: " + host + kLineBreak +
        "Description: " + info.description));
}
