#pragma once

// The tables that carry the usage history across stops: each key's newest
// good reading, the spans the program was closed for (counted or gaps) and
// the part of each day's totals counted while closed. Histories written
// before them gain them at their first opening for writing; a report reads
// a history without them as one with no closed spans.

#include "UsageAccounting.h"

#include <map>
#include <string>
#include <vector>

struct sqlite3;
class TStatement;

namespace ClosedSpanStore {

void createTables(sqlite3* db);
// Inside the caller's transaction; `addHour` and `addDay` add to the hourly
// and daily totals (bindings: key, hour or day, down, up).
void write(sqlite3* db, const TUsageCarry& carry, TStatement& addHour, TStatement& addDay);

std::map<std::string, TKeptSample> keptSamples(sqlite3* db);
TOctets closedTotal(sqlite3* db, const std::string& key, int32_t fromDay, int32_t toDay);
std::vector<TClosedSpanRecord> gaps(sqlite3* db, const std::string& key, int64_t from, int64_t to);

} // namespace ClosedSpanStore
