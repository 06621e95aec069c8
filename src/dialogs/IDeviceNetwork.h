#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
    // SNMPv2c: one get of every OID in `oids`. True when the agent answered;
    // `values` then has one entry per OID, empty where the agent has no value
    // (an exception). Counters, gauges and time ticks come as unsigned
    // decimal text.
    virtual bool readValuesV2c(const std::vector<std::string>& oids, const std::string& community,
                               const std::string& host,
                               std::vector<std::optional<std::string>>& values)
    {
        (void)oids, (void)community, (void)host;
        values.clear();
        return false;
    }
    // SNMPv2c: the rows (OID, value text as above) of one table column, read
    // with GetBulk. False when the walk did not end normally (rows then holds
    // what was read).
    virtual bool walkColumn(const std::string& column, const std::string& community,
                            const std::string& host,
                            std::vector<std::pair<std::string, std::string>>& rows)
    {
        (void)column, (void)community, (void)host;
        rows.clear();
        return false;
    }
    // The machine's default gateway (dotted IPv4 text), none when the routing
    // table has no default route.
    virtual std::optional<std::string> defaultGateway();
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
