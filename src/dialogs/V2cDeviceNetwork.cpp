#include "V2cDeviceNetwork.h"

bool V2cDeviceNetwork::readValue(const std::string& oid, const std::string& community,
                                 const std::string& host, std::string& value)
{
    std::vector<std::optional<std::string>> values;
    const bool answered = m_inner.readValuesV2c({oid}, community, host, values);
    value = answered && !values.empty() && values[0] ? *values[0] : std::string();
    return answered;
}

bool V2cDeviceNetwork::readNext(std::string& oid, const std::string& community,
                                const std::string& host, std::string& value)
{
    return m_inner.readNext(oid, community, host, value);
}

bool V2cDeviceNetwork::readValuesV2c(const std::vector<std::string>& oids,
                                     const std::string& community, const std::string& host,
                                     std::vector<std::optional<std::string>>& values)
{
    return m_inner.readValuesV2c(oids, community, host, values);
}

bool V2cDeviceNetwork::walkColumn(const std::string& column, const std::string& community,
                                  const std::string& host,
                                  std::vector<std::pair<std::string, std::string>>& rows)
{
    return m_inner.walkColumn(column, community, host, rows);
}

std::optional<std::string> V2cDeviceNetwork::defaultGateway()
{
    return m_inner.defaultGateway();
}

int V2cDeviceNetwork::pingRoundTrip(const std::string& host)
{
    return m_inner.pingRoundTrip(host);
}

std::string V2cDeviceNetwork::answeredFrom(const std::string& host)
{
    return m_inner.answeredFrom(host);
}
