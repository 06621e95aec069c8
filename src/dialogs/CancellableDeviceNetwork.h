#pragma once

#include "ForwardingDeviceNetwork.h"

// One dialog's way to the network, which the user can end: once cancelled,
// the wait in progress ends at once (through the wrapped network's
// cancelWaits) and every later call fails at once without reaching the
// network, so a discovery of many reads unwinds within moments.
class CancellableDeviceNetwork : public ForwardingDeviceNetwork
{
public:
    using ForwardingDeviceNetwork::ForwardingDeviceNetwork;

    void cancelWaits() override;
    bool cancelled() const { return m_cancelled; }

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
    int pingRoundTrip(const std::string& host) override;

private:
    bool m_cancelled = false;
};
