#include "CancellableDeviceNetwork.h"

void CancellableDeviceNetwork::cancelWaits()
{
    m_cancelled = true;
    ForwardingDeviceNetwork::cancelWaits();
}

bool CancellableDeviceNetwork::readValue(const std::string& oid, const std::string& community,
                                         const std::string& host, std::string& value)
{
    value.clear();
    return !m_cancelled && inner().readValue(oid, community, host, value);
}

bool CancellableDeviceNetwork::readNext(std::string& oid, const std::string& community,
                                        const std::string& host, std::string& value)
{
    value.clear();
    return !m_cancelled && inner().readNext(oid, community, host, value);
}

bool CancellableDeviceNetwork::readValuesV2c(const std::vector<std::string>& oids,
                                             const std::string& community, const std::string& host,
                                             std::vector<std::optional<std::string>>& values)
{
    values.assign(oids.size(), std::nullopt);
    return !m_cancelled && inner().readValuesV2c(oids, community, host, values);
}

SnmpWalkEnd
CancellableDeviceNetwork::walkColumn(const std::string& column, const std::string& community,
                                     const std::string& host, WalkedValues values,
                                     std::vector<std::pair<std::string, std::string>>& rows)
{
    rows.clear();
    if (m_cancelled)
        return SnmpWalkEnd::Cancelled;
    const SnmpWalkEnd end = inner().walkColumn(column, community, host, values, rows);
    return m_cancelled ? SnmpWalkEnd::Cancelled : end;
}

SnmpV3Result CancellableDeviceNetwork::readV3(V3Read read, const std::vector<std::string>& oids,
                                              const SnmpV3User& user, const std::string& host,
                                              const std::shared_ptr<GuardedEngineCache>& engines)
{
    if (!m_cancelled) {
        SnmpV3Result result = inner().readV3(read, oids, user, host, engines);
        if (!m_cancelled)
            return result;
    }
    SnmpV3Result cancelled;
    cancelled.Outcome = SnmpV3Outcome::NoAnswer;
    cancelled.WalkEnd = SnmpWalkEnd::Cancelled;
    return cancelled;
}

int CancellableDeviceNetwork::pingRoundTrip(const std::string& host)
{
    return m_cancelled ? -1 : inner().pingRoundTrip(host);
}
