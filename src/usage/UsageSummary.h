#pragma once

#include "BillingPeriod.h"
#include "TUsageRecorder.h"
#include "UsageDatabase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the usage window and the command line show of one sensor at a moment.
struct TUsageSummary
{
    TUsageSensorConfig sensor;
    TBillingPeriod current;
    TBillingPeriod last;
    TOctets today;
    TOctets yesterday;
    TOctets thisPeriod;
    TOctets lastPeriod;
    // The part of each period's totals the agent counted while the program
    // was closed, and the spans it was closed for that could not be counted.
    TOctets thisPeriodClosed;
    TOctets lastPeriodClosed;
    std::vector<TClosedSpanRecord> thisPeriodGaps;
    std::vector<TClosedSpanRecord> lastPeriodGaps;
    // Only with a quota: the share of it used (1.0 = all) and the octets the
    // quota counts projected to the period's end.
    std::optional<double> quotaShare;
    std::optional<double> projected;
};

namespace UsageSummary {

TUsageSummary summarize(const TUsageDatabase& db, const TUsageSensorConfig& sensor, int64_t now);

// Every day of a period with its octets; days without a record hold zero.
std::vector<TDayOctets> periodDays(const TUsageDatabase& db, const std::string& key,
                                   const TBillingPeriod& period);

// What the window and the report say of a period's closed spans: the part
// counted while closed, then each gap with its reason, one line each; empty
// when the program ran the whole period.
std::vector<std::string> closedLines(const TUsageSummary& summary, bool lastPeriod);

// "1.23 GB": octets in units of 10^3 with two decimals ("512 B" below a kB).
std::string octetsText(uint64_t octets);

// The daily rows of a period as CSV: a header, then "date,download,upload"
// in octets for each day the history holds. Sensor names are quoted.
std::string periodCsv(const std::string& sensorName, const std::vector<TDayOctets>& days);

// A CSV field: quoted, inner quotes doubled; a leading =, +, - or @ is
// prefixed with ' so a spreadsheet does not run a sensor name as a formula.
std::string csvField(const std::string& text);

} // namespace UsageSummary
