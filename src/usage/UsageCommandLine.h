#pragma once

#include "TUsageRecorder.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// travimetra --usage [--sensor NAME] [--period current|last] [--csv]
// prints the usage totals from the history and ends, without a window.
namespace UsageCommandLine {

// True when the arguments ask for the totals.
bool wanted(int argc, char** argv);

// Prints the totals of the sensors (the stored ones, then any others the
// history holds) for the chosen period. Returns the exit status: 0 printed,
// 1 no history or no such sensor, 2 wrong arguments.
int run(int argc, char** argv, std::ostream& out, std::ostream& err, const std::string& dbPath,
        int64_t now, const std::vector<TUsageSensorConfig>& sensors);

// run() on standard output with the user's history, store and clock.
int main(int argc, char** argv);

} // namespace UsageCommandLine
