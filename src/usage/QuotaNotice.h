#pragma once

#include "UsageSettings.h"

#include <cstdint>
#include <string>

// The notifications of a sensor's monthly quota: one at 80 % and one at
// 100 %, each at most once per billing period.
namespace QuotaNotice {

// Octets a quota in GB allows (GB of 10^9 octets).
uint64_t quotaOctets(int32_t quotaGB);

// The octets a quota of that kind counts.
uint64_t countedOctets(TQuotaKind kind, uint64_t download, uint64_t upload);

// Which notice is due: 0 none, 80 or 100. `sentLevel` is the highest one
// already given this period (0, 80 or 100). When usage passes both marks
// before a check, only the 100 % notice is due; the 80 % one is then past.
int dueLevel(uint64_t used, uint64_t quota, int sentLevel);

// The tray message of a notice, e.g.
// "Router has used 80 % of its monthly quota (8.00 of 10 GB)."
std::string message(const std::string& sensorName, int level, uint64_t used, int32_t quotaGB);

} // namespace QuotaNotice
