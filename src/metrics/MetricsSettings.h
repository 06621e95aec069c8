#pragma once

#include <cstdint>
#include <string>

// Whether and where the figures are served to a scraper. Off by default, and
// on this computer only unless another address is typed in.
struct TMetricsSettings
{
    bool Enabled = false;
    std::string Address = "127.0.0.1";
    int32_t Port = 9741;

    bool operator==(const TMetricsSettings& o) const
    {
        return Enabled == o.Enabled && Address == o.Address && Port == o.Port;
    }
    bool operator!=(const TMetricsSettings& o) const { return !(*this == o); }
};

// Stored names, in the global key after every older value: "MetricsEnabled"
// (binary), "MetricsAddress" (text) and "MetricsPort" (integer, 1 to 65535).
namespace MetricsSettingsStore {

// A value that is missing, unreadable or out of range takes its default;
// with `heal` the default is written back (a failed write raises
// TRegistryError).
TMetricsSettings load(bool heal);
void save(const TMetricsSettings& settings);

} // namespace MetricsSettingsStore

namespace MetricsAddress {

// True for an address only this computer reaches (127.0.0.0/8, ::1); any
// other lets everyone on that network read the figures.
bool isLoopback(const std::string& address);

// What the user is told when the figures are served beyond this computer.
extern const char* const kOpenNetworkWarning;

} // namespace MetricsAddress
