#include "MetricsSettings.h"

#include "RegSession.h"
#include "RegVariant.h"
#include "RegistryError.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace MetricsSettingsStore {

// Kind, default and range are the settings table's.
TMetricsSettings load(bool heal)
{
    TRegSession session;
    TMetricsSettings settings;
    settings.Enabled = std::get<bool>(loadStoredValue(kSettingsKey, "MetricsEnabled", heal));
    settings.Address = std::get<std::string>(loadStoredValue(kSettingsKey, "MetricsAddress", heal));
    settings.Port = std::get<int32_t>(loadStoredValue(kSettingsKey, "MetricsPort", heal));
    session.commit();
    return settings;
}

void save(const TMetricsSettings& settings)
{
    TRegSession session;
    saveStoredValue(kSettingsKey, "MetricsEnabled", settings.Enabled);
    saveStoredValue(kSettingsKey, "MetricsAddress", settings.Address);
    saveStoredValue(kSettingsKey, "MetricsPort", settings.Port);
    session.commit();
}

} // namespace MetricsSettingsStore

namespace MetricsAddress {

const char* const kOpenNetworkWarning =
    "Anyone on the network this address is on can read these figures.";

bool isLoopback(const std::string& address)
{
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6);
    return false;
}

} // namespace MetricsAddress
