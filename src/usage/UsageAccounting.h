#pragma once

#include "ClosedSpan.h"
#include "CounterSeries.h"
#include "UsageOctets.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// What the poll hands over for a sensor whose poll succeeded: the raw
// counters as read and the agent's uptime. The accounting keeps the previous
// reading itself, so it depends on nothing the display resets.
struct TGoodPoll
{
    TGoodPoll() = default;
    TGoodPoll(std::string key_, int64_t wallTime_, uint64_t down, uint64_t up, int bits,
              int64_t upTime, int64_t boots = -1, std::string interface = {})
        : key(std::move(key_)), wallTime(wallTime_), downCounter(down), upCounter(up),
          counterBits(bits), agentUpTime(upTime), engineBoots(boots),
          interfaceName(std::move(interface))
    {
    }

    std::string key;      // the sensor's identity (UsageSensorKey)
    int64_t wallTime = 0; // seconds since the epoch, when the poll was read
    uint64_t downCounter = 0;
    uint64_t upCounter = 0;
    int counterBits = 32;      // 32 for ifInOctets/ifOutOctets, 64 for the HC counters
    int64_t agentUpTime = -1;  // sysUpTime in hundredths of a second; -1 unknown
    int64_t engineBoots = -1;  // the SNMPv3 engine's boots; -1 unknown
    std::string interfaceName; // the interface the counters belong to
};

// Octets of one sensor in one minute, waiting to be written.
struct TMinuteOctets
{
    TOctets octets;
    int32_t localDay = 0; // yyyymmdd of the minute in local time
};

// (sensor key, minute start in seconds since the epoch) -> octets.
using TUsageBatch = std::map<std::pair<std::string, int64_t>, TMinuteOctets>;

// A span the program was closed for: counted (the octets the agent counted
// meanwhile) or a gap.
struct TClosedSpanRecord
{
    std::string key;
    int64_t from = 0; // the kept reading's wall time
    int64_t to = 0;   // the first good reading's after the start
    ClosedSpanVerdict verdict = ClosedSpanVerdict::Counted;
    TOctets octets;
};

// What a write keeps beside the minutes: the closed spans found since the
// last write and each key's newest good reading.
struct TUsageCarry
{
    std::vector<TClosedSpanRecord> spans;
    std::map<std::string, TKeptSample> latest;
    bool empty() const { return spans.empty() && latest.empty(); }
};

// Turns successive counter readings into octets and gathers them by minute.
// Counts only what it saw happen: the first reading of a sensor steps only
// from the reading the history kept before the start, and only by the rule of
// ClosedSpan (what it finds goes with the next write, counted or as a gap);
// nothing across an agent restart (its uptime went back or fell
// behind the wall clock), nothing for a counter that went back, nothing across
// a gap longer than kMaxGapSeconds (the computer slept or the clock jumped),
// nothing for a step the interface could not have carried. The counters step
// through a CounterSeries per sensor key, timed by the wall clock.
class TUsageAccounting
{
public:
    static constexpr int64_t kMaxGapSeconds = 600;

    // Adds this poll's octets to its minute and returns them. `speeds` is
    // what the interface carries at most: a step beyond it is a jump of the
    // counter, not traffic.
    TOctets goodPoll(const TGoodPoll& poll, const CounterSpeeds& speeds = {});
    // A poll that failed counts nothing; the next good one measures from the
    // last good reading, so traffic during a short silence is not lost.
    void errorPoll(const std::string& key) { (void)key; }
    // Drops the sensor's previous reading (sensor removed or changed).
    void forget(const std::string& key) { m_series.erase(key); }

    // The readings the history kept at its last write before the start: the
    // first good poll of each key steps from its own over the closed span
    // (ClosedSpan::decide). Keys already polled in this run keep their series.
    void resumeFrom(std::map<std::string, TKeptSample> kept);

    bool hasPending() const { return !m_pending.empty() || !m_carry.empty(); }
    const TUsageBatch& pending() const { return m_pending; }
    const TUsageCarry& carry() const { return m_carry; }
    // Hands the gathered minutes over and starts a new batch; the closed
    // spans and newest readings go with them.
    TUsageBatch takeBatch();

private:
    void closedSpan(const std::string& key, const TKeptSample& now, const CounterSpeeds& speeds);

    std::map<std::string, CounterSeries> m_series;
    std::map<std::string, TKeptSample> m_kept;
    TUsageBatch m_pending;
    TUsageCarry m_carry;
};
