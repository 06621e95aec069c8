#pragma once

#include "IDeviceNetwork.h"

// The dialogs' single gets sent as SNMPv2c to an agent chosen as such: each
// get goes out as a one-binding SNMPv2c get, and an object the agent does not
// have reads as an empty value, as SNMPv1's single gets do. Everything else
// goes to the wrapped network unchanged.
class V2cDeviceNetwork : public IDeviceNetwork
{
public:
    explicit V2cDeviceNetwork(IDeviceNetwork& inner) : m_inner(inner) {}

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
    bool readNext(std::string& oid, const std::string& community, const std::string& host,
                  std::string& value) override;
    bool readValuesV2c(const std::vector<std::string>& oids, const std::string& community,
                       const std::string& host,
                       std::vector<std::optional<std::string>>& values) override;
    bool walkColumn(const std::string& column, const std::string& community,
                    const std::string& host,
                    std::vector<std::pair<std::string, std::string>>& rows) override;
    std::optional<std::string> defaultGateway() override;
    int pingRoundTrip(const std::string& host) override;
    std::string answeredFrom(const std::string& host) override;

private:
    IDeviceNetwork& m_inner;
};
