#pragma once

#include "ForwardingDeviceNetwork.h"

#include <functional>
#include <map>

// The dialogs' reads sent as SNMPv3 to an agent chosen as such: gets,
// get-nexts and the column walks go out as the user the dialog's fields name
// (the community is not used), with one engine cache for the decorator's
// life. A read that fails leaves its reason, in words for the user, to
// lastFailure. Echo, gateway and strays go to the wrapped network unchanged.
class V3DeviceNetwork : public ForwardingDeviceNetwork
{
public:
    // Asked at every read, so the reads follow what the user typed.
    using UserSource = std::function<SnmpV3User()>;

    V3DeviceNetwork(IDeviceNetwork& inner, UserSource user);

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
    std::string lastFailure(const std::string& host) override;

private:
    SnmpV3Result read(V3Read read, const std::vector<std::string>& oids, const std::string& host);

    UserSource m_user;
    std::shared_ptr<GuardedEngineCache> m_engines = std::make_shared<GuardedEngineCache>();
    std::map<std::string, std::string> m_failures; // by host
};
