#pragma once

#include "IDeviceNetwork.h"

#include <chrono>
#include <cstddef>

// The agents themselves, over SNMPv1, SNMPv2c, SNMPv3 and ICMP echo.
class SnmpDeviceNetwork : public IDeviceNetwork
{
public:
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

    // The limits of every walk the dialogs make: more rows than an agent has
    // interfaces in practice, a few hundred bytes each at most, and a time
    // the user may wait for a list.
    static constexpr std::size_t kMaxWalkRows = 4096;
    static constexpr std::size_t kMaxWalkBytes = std::size_t(2) << 20;
    static constexpr std::chrono::seconds kWalkDeadline{30};
    static SnmpWalkLimits walkLimits(bool countersOnly);
    std::string answeredFrom(const std::string& host) override;
};
