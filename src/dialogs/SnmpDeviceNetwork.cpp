#include "SnmpDeviceNetwork.h"

#include "BindingText.h"
#include "GatewayPlatform.h"
#include "SNMPRead.h"
#include "SNMPReadMany.h"
#include "SNMPv3Read.h"
#include "StraySenders.h"
#include "TPINGSend.h"

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

bool SnmpDeviceNetwork::readValuesV2c(const std::vector<std::string>& oids,
                                      const std::string& community, const std::string& host,
                                      std::vector<std::optional<std::string>>& values)
{
    values.assign(oids.size(), std::nullopt);
    std::vector<SNMPReading> readings;
    if (!SNMPReadValues(oids, community, host, SNMPVersion2c, readings))
        return false;
    for (std::size_t i = 0; i < readings.size() && i < values.size(); ++i) {
        if (readings[i].Outcome == SNMPReadOutcome::Value)
            values[i] = bindingText(readings[i].Binding);
    }
    return true;
}

SnmpWalkLimits SnmpDeviceNetwork::walkLimits(bool countersOnly)
{
    SnmpWalkLimits limits;
    limits.MaxRows = kMaxWalkRows;
    limits.MaxBytes = kMaxWalkBytes;
    limits.Deadline = kWalkDeadline;
    limits.CountersOnly = countersOnly;
    return limits;
}

SnmpWalkEnd SnmpDeviceNetwork::walkColumn(const std::string& column, const std::string& community,
                                          const std::string& host, WalkedValues values,
                                          std::vector<std::pair<std::string, std::string>>& rows)
{
    rows.clear();
    std::vector<SnmpBinding> bindings;
    const SnmpWalkEnd end = SNMPBulkWalk(column, community, host,
                                         walkLimits(values == WalkedValues::Counters), bindings);
    for (const SnmpBinding& binding : bindings)
        rows.emplace_back(binding.Oid, bindingText(binding));
    return end;
}

SnmpV3Result SnmpDeviceNetwork::readV3(V3Read read, const std::vector<std::string>& oids,
                                       const SnmpV3User& user, const std::string& host,
                                       const std::shared_ptr<GuardedEngineCache>& engines)
{
    if (!engines || (read != V3Read::Get && oids.empty())) {
        SnmpV3Result result;
        result.Outcome = SnmpV3Outcome::BadSettings;
        result.Detail = "nothing to read";
        return result;
    }
    const std::lock_guard<std::mutex> lock(engines->Mutex);
    switch (read) {
    case V3Read::GetNext:
        return SNMPv3GetNext(oids.front(), user, host, engines->Cache);
    case V3Read::Walk:
    case V3Read::WalkCounters:
        return SNMPv3Walk(oids.front(), user, host, engines->Cache,
                          walkLimits(read == V3Read::WalkCounters));
    case V3Read::Get:
        break;
    }
    return SNMPv3Get(oids, user, host, engines->Cache);
}

int SnmpDeviceNetwork::pingRoundTrip(const std::string& host)
{
    return PingRoundTrip(host);
}

std::string SnmpDeviceNetwork::answeredFrom(const std::string& host)
{
    return StraySenders::lookup(host);
}

std::optional<std::string> IDeviceNetwork::defaultGateway()
{
    if (const std::optional<DefaultGateway> gateway = findDefaultGateway())
        return gateway->address;
    return std::nullopt;
}

std::shared_ptr<IDeviceNetwork> defaultDeviceNetwork()
{
    return std::make_shared<SnmpDeviceNetwork>();
}
