#pragma once

#include "GuardedEngineCache.h"
#include "SnmpV3Client.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What an SNMPv3 read asks: one get of every OID, one get-next of the first,
// or a bulk walk of the first OID's subtree (of every row, or only of the
// rows that are numbers a counter can be).
enum class V3Read
{
    Get,
    GetNext,
    Walk,
    WalkCounters,
};

// What a column walk keeps: every row, or only the rows whose values are
// numbers a counter can be (an octet string "12345" is none).
enum class WalkedValues
{
    Any,
    Counters,
};

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
    // with GetBulk within the network's limits (rows, bytes, time), texts cut
    // to kMaxAgentTextLength. How the walk ended; rows holds what was read
    // however it ended.
    virtual SnmpWalkEnd walkColumn(const std::string& column, const std::string& community,
                                   const std::string& host, WalkedValues values,
                                   std::vector<std::pair<std::string, std::string>>& rows)
    {
        (void)column, (void)community, (void)host, (void)values;
        rows.clear();
        return SnmpWalkEnd::NoAnswer;
    }
    // SNMPv3 as `user`, with the engines the caller keeps. What has no SNMPv3
    // (the default) sends nothing and says so.
    virtual SnmpV3Result readV3(V3Read read, const std::vector<std::string>& oids,
                                const SnmpV3User& user, const std::string& host,
                                const std::shared_ptr<GuardedEngineCache>& engines)
    {
        (void)read, (void)oids, (void)user, (void)host, (void)engines;
        SnmpV3Result result;
        result.Outcome = SnmpV3Outcome::BadSettings;
        result.Detail = "SNMPv3 is not available here";
        return result;
    }
    // Why the last read of `host` failed, in words for the user; empty when
    // it did not fail or there is nothing to say beyond "no reply".
    virtual std::string lastFailure(const std::string& host)
    {
        (void)host;
        return {};
    }
    // Ends at once every wait in progress, as failed; later calls wait as
    // usual. What does not wait on a thread of its own has nothing to end.
    virtual void cancelWaits() {}
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
