#include "ForwardingDeviceNetwork.h"

bool ForwardingDeviceNetwork::readValue(const std::string& oid, const std::string& community,
                                        const std::string& host, std::string& value)
{
    return m_inner.readValue(oid, community, host, value);
}

bool ForwardingDeviceNetwork::readNext(std::string& oid, const std::string& community,
                                       const std::string& host, std::string& value)
{
    return m_inner.readNext(oid, community, host, value);
}

bool ForwardingDeviceNetwork::readValuesV2c(const std::vector<std::string>& oids,
                                            const std::string& community, const std::string& host,
                                            std::vector<std::optional<std::string>>& values)
{
    return m_inner.readValuesV2c(oids, community, host, values);
}

SnmpWalkEnd
ForwardingDeviceNetwork::walkColumn(const std::string& column, const std::string& community,
                                    const std::string& host, WalkedValues values,
                                    std::vector<std::pair<std::string, std::string>>& rows)
{
    return m_inner.walkColumn(column, community, host, values, rows);
}

void ForwardingDeviceNetwork::cancelWaits()
{
    m_inner.cancelWaits();
}

SnmpV3Result ForwardingDeviceNetwork::readV3(V3Read read, const std::vector<std::string>& oids,
                                             const SnmpV3User& user, const std::string& host,
                                             const std::shared_ptr<GuardedEngineCache>& engines)
{
    return m_inner.readV3(read, oids, user, host, engines);
}

std::string ForwardingDeviceNetwork::lastFailure(const std::string& host)
{
    return m_inner.lastFailure(host);
}

std::optional<std::string> ForwardingDeviceNetwork::defaultGateway()
{
    return m_inner.defaultGateway();
}

int ForwardingDeviceNetwork::pingRoundTrip(const std::string& host)
{
    return m_inner.pingRoundTrip(host);
}

std::string ForwardingDeviceNetwork::answeredFrom(const std::string& host)
{
    return m_inner.answeredFrom(host);
}
