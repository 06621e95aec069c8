#include "MetricsSettings.h"

#include "RegSession.h"
#include "RegVariant.h"
#include "RegistryError.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <optional>

namespace MetricsSettingsStore {

namespace {

// The value as read, or nothing when it is missing or unreadable.
std::optional<TRegVariant> read(const char* name)
{
    try {
        return ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, name);
    } catch (const TRegistryError&) {
        return std::nullopt;
    }
}

} // namespace

TMetricsSettings load(bool heal)
{
    TRegSession session;
    TMetricsSettings settings;
    const TMetricsSettings defaults;
    bool enabled = false;
    if (const auto v = read("MetricsEnabled"); v && regVariantToBool(*v, enabled))
        settings.Enabled = enabled;
    else if (heal)
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsEnabled", defaults.Enabled,
                      rdBinary);
    std::string address;
    if (const auto v = read("MetricsAddress"); v && regVariantToText(*v, address))
        settings.Address = address;
    else if (heal)
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsAddress", defaults.Address,
                      rdString);
    int32_t port = 0;
    if (const auto v = read("MetricsPort");
        v && regVariantToInt(*v, port) && port >= 1 && port <= 65535)
        settings.Port = port;
    else if (heal)
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsPort", defaults.Port, rdInteger);
    session.commit();
    return settings;
}

void save(const TMetricsSettings& settings)
{
    TRegSession session;
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsEnabled", settings.Enabled, rdBinary);
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsAddress", settings.Address, rdString);
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsPort", settings.Port, rdInteger);
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
