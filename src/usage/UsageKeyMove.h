#pragma once

#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

// A sensor that follows its interface to a new number gets a new usage key
// ("host#3" becomes "host#7"); the history it gathered under the old one is
// the same interface's and moves with it, so that one sensor keeps one total
// (and its quota counts all of it).
using TUsageKeyMoves = std::vector<std::pair<std::string, std::string>>; // from, to

namespace UsageKeyMove {

// Within the caller's transaction: every row of `from` joins `to` (octets
// added where both have the same minute, hour or day, the higher quota notice
// kept), and `from` is gone. Nothing happens when `from` has no history.
void move(sqlite3* db, const std::string& from, const std::string& to);

} // namespace UsageKeyMove
