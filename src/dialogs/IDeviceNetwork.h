#pragma once

#include <memory>
#include <string>

// The network operations of the device dialog and the device information box:
// SNMP get and get-next and one echo round trip. The program reaches the
// agents; tests put scripted answers or failures behind it.
class IDeviceNetwork
{
public:
    virtual ~IDeviceNetwork() = default;

    // An SNMP get: true when the agent answered, `value` then its text;
    // false with `value` empty on any failure.
    virtual bool readValue(const std::string& oid, const std::string& community,
                           const std::string& host, std::string& value) = 0;
    // An SNMP get-next: on success `oid` becomes the OID of the answer.
    virtual bool readNext(std::string& oid, const std::string& community, const std::string& host,
                          std::string& value) = 0;
    // Round-trip time of one echo in milliseconds, or -1 on any failure.
    virtual int pingRoundTrip(const std::string& host) = 0;
    // Another address whose answer came in the agent's place since the
    // agent last answered itself (and was refused); empty when none did.
    virtual std::string answeredFrom(const std::string& host)
    {
        (void)host;
        return {};
    }
};

// The real network: SNMPReadValue, SNMPReadNext and PingRoundTrip.
std::shared_ptr<IDeviceNetwork> defaultDeviceNetwork();
