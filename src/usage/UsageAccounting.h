#pragma once

#include "CounterSeries.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

// What the poll hands over for a sensor whose poll succeeded: the raw
// counters as read and the agent's uptime. The accounting keeps the previous
// reading itself, so it depends on nothing the display resets.
struct TGoodPoll
{
    std::string key;      // the sensor's identity (UsageSensorKey)
    int64_t wallTime = 0; // seconds since the epoch, when the poll was read
    uint64_t downCounter = 0;
    uint64_t upCounter = 0;
    int counterBits = 32;     // 32 for ifInOctets/ifOutOctets, 64 for the HC counters
    int64_t agentUpTime = -1; // sysUpTime in hundredths of a second; -1 unknown
};

// Octets of one direction pair.
struct TOctets
{
    uint64_t down = 0;
    uint64_t up = 0;
};

// Octets of one sensor in one minute, waiting to be written.
struct TMinuteOctets
{
    TOctets octets;
    int32_t localDay = 0; // yyyymmdd of the minute in local time
};

// (sensor key, minute start in seconds since the epoch) -> octets.
using TUsageBatch = std::map<std::pair<std::string, int64_t>, TMinuteOctets>;

// Turns successive counter readings into octets and gathers them by minute.
// Counts only what it saw happen: nothing for the first reading of a sensor
// (the program just started: what went before happened while it was not
// running), nothing across an agent restart (its uptime went back or fell
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

    bool hasPending() const { return !m_pending.empty(); }
    const TUsageBatch& pending() const { return m_pending; }
    // Hands the gathered minutes over and starts a new batch.
    TUsageBatch takeBatch();

private:
    std::map<std::string, CounterSeries> m_series;
    TUsageBatch m_pending;
};
