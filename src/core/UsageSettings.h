#pragma once

#include "RateUnit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Which octets a monthly quota counts.
enum class TQuotaKind : int32_t
{
    Download = 0,
    Upload = 1,
    Both = 2, // download and upload added
};

// A sensor's billing period and quota, stored in the sensor's own key.
struct TSensorUsageSettings
{
    int32_t PeriodStartDay = 1; // 1..31; a month shorter than that starts on its last day
    int32_t QuotaGB = 0;        // 0: no quota; GB of 10^9 octets
    TQuotaKind QuotaKind = TQuotaKind::Both;
};

// The usage settings beside the ones the options dialog always had.
struct TUsageSettings
{
    TRateUnit RateUnit = TRateUnit::KibibytesPerSecond;
    std::vector<TSensorUsageSettings> Sensors; // one per sensor, by index
};

// Stored names: "RateUnit" in the global key; "UsagePeriodStart",
// "UsageQuotaGB" and "UsageQuotaKind" in each sensor's key.
namespace UsageSettingsStore {

constexpr int32_t kMaxQuotaGB = 1000000; // a petabyte a month

// Reads the values for sensors 0 .. numberOfHosts-1. A value that is missing,
// unreadable or out of range takes its default; with `heal` the default is
// also written back, as every other setting's load does, and a failed write
// raises TRegistryError. Without `heal` the store is never written (for a
// reader beside the running program).
TUsageSettings load(std::size_t numberOfHosts, bool heal);

// Writes the values of every sensor in `settings`; call after SaveSettings so
// the new values come after the existing ones. Raises TRegistryError.
void save(const TUsageSettings& settings);

} // namespace UsageSettingsStore
