#pragma once

// The octets an agent counted while the program was closed. The history keeps
// each usage key's last good reading; the first good reading after a start
// steps from it when nothing can have broken the count in between: the agent
// did not start again, the counters belong to the same interface, and a
// 32-bit counter cannot have passed its top. Anything else is a gap, and
// shown as one; no failure becomes a plausible number.

#include "CounterSample.h"
#include "UsageOctets.h"

#include <cstdint>
#include <string>
#include <vector>

// One good reading as the history keeps it across stops.
struct TKeptSample
{
    int64_t wallTime = 0; // seconds since the epoch
    uint64_t down = 0;
    uint64_t up = 0;
    int counterBits = 32;
    int64_t agentUpTime = -1; // hundredths of a second; -1 unknown
    int64_t engineBoots = -1; // SNMPv3 only; -1 unknown
    std::string interfaceName;
};

// Kept in the history by number: the numbers never change.
enum class ClosedSpanVerdict
{
    Counted = 0,         // the step is the traffic of the closed span
    ClockWentBack = 1,   // the wall clock now reads before the kept reading
    NoUpTime = 2,        // the agent's uptime is not known: a restart cannot be ruled out
    AgentRestarted = 3,  // its uptime grew less than the wall clock
    EngineRebooted = 4,  // its SNMPv3 engine boots changed
    OtherInterface = 5,  // the sensor reads an interface of another name, or other counters
    MayHaveWrapped = 6,  // 32-bit counters over a span they could have passed their top in
    CounterWentBack = 7, // a counter went back or jumped beyond its interface
};

struct TClosedSpanDecision
{
    ClosedSpanVerdict verdict = ClosedSpanVerdict::Counted;
    TOctets octets; // only with Counted
};

namespace ClosedSpan {

// The uptime may lag the wall clock by this much (5 s plus 1 % of the span)
// before the agent is taken as restarted: the two clocks are read apart, in
// whole seconds, and drift.
constexpr double kUpTimeSlackSeconds = 5;
constexpr double kUpTimeSlackShare = 0.01;

// `speeds` in bytes per second (0: not known). A 32-bit counter is trusted
// only when both directions' speeds are known and neither can carry 2^32
// octets over the span.
TClosedSpanDecision decide(const TKeptSample& before, const TKeptSample& now,
                           const CounterSpeeds& speeds);

// The closed span [from, to) cut at every hour and every local midnight,
// with the octets shared by the seconds of each piece; the pieces add up
// to `octets` exactly.
struct TPiece
{
    int64_t hour = 0;     // start of the hour (seconds since the epoch)
    int32_t localDay = 0; // yyyymmdd
    TOctets octets;
};
std::vector<TPiece> spread(int64_t from, int64_t to, const TOctets& octets);

// A few words for the report and the window ("the agent restarted").
std::string gapReason(ClosedSpanVerdict verdict);

} // namespace ClosedSpan
