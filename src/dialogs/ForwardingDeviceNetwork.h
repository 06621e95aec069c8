#pragma once

#include "IDeviceNetwork.h"

// Hands every call to the wrapped network unchanged: the base of the
// decorators that send some of the reads another way.
class ForwardingDeviceNetwork : public IDeviceNetwork
{
public:
    explicit ForwardingDeviceNetwork(IDeviceNetwork& inner) : m_inner(inner) {}

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
    bool readNext(std::string& oid, const std::string& community, const std::string& host,
                  std::string& value) override;
    bool readValuesV2c(const std::vector<std::string>& oids, const std::string& community,
                       const std::string& host,
                       std::vector<std::optional<std::string>>& values) override;
    SnmpWalkEnd walkColumn(const std::string& column, const std::string& community,
                           const std::string& host, WalkedValues values,
                           std::vector<std::pair<std::string, std::string>>& rows) override;
    SnmpV3Result readV3(V3Read read, const std::vector<std::string>& oids, const SnmpV3User& user,
                        const std::string& host,
                        const std::shared_ptr<GuardedEngineCache>& engines) override;
    std::string lastFailure(const std::string& host) override;
    void cancelWaits() override;
    std::optional<std::string> defaultGateway() override;
    int pingRoundTrip(const std::string& host) override;
    std::string answeredFrom(const std::string& host) override;

protected:
    IDeviceNetwork& inner() { return m_inner; }

private:
    IDeviceNetwork& m_inner;
};
