#pragma once

// How a walk of one table column goes on from one GetBulk reply: which of its
// bindings are rows of the column, and whether to ask again. Kept apart from
// the exchange so that hostile replies can be fed to it directly.

#include "SnmpResponse.h"
#include "SnmpWalk.h"

#include <cstddef>
#include <string>
#include <vector>

enum class SnmpWalkStep
{
    More,   // every binding was a row: ask again after the last one
    Done,   // the column (or the agent's view) has ended
    Broken, // the agent went backwards or stood still: it would never end
    Full,   // the budget is spent: its end() says which limit
};

// Orders two dotted OID texts by their numbers, arc by arc (1.3.6.1.2 before
// 1.3.6.1.10); -1, 0 or 1. A piece that is not a number orders as 0.
int compareOids(const std::string& a, const std::string& b);

// Appends to rows the bindings of response that continue the walk of column
// after lastOid (which is moved on to the last binding passed), stopping at an
// exception, an error status, the first name outside the column, or when the
// budget is spent. Texts are cut as the budget says; rows the budget does not
// keep (not counters, when only counters are wanted) are passed over.
SnmpWalkStep takeBulkPage(const std::string& column, std::string& lastOid,
                          const SnmpResponse& response, SnmpWalkBudget& budget,
                          std::vector<SnmpBinding>& rows);
