#include "UsageAccounting.h"

#include "CalendarDay.h"

namespace {

// The increase of a counter of `bits` bits that may have wrapped once; a
// difference of half the range or more means the counter went back (reset,
// agent restart) and counts nothing.
bool counterIncrease(uint64_t previous, uint64_t current, int bits, uint64_t& increase)
{
    const uint64_t mask = bits >= 64 ? ~0ULL : (1ULL << bits) - 1;
    increase = (current - previous) & mask;
    return increase <= mask / 2;
}

// The agent restarted between two polls when its uptime advanced less than
// the wall clock did (less 5 s and 5 % for slow polls and clock drift). The
// uptime wraps at 2^32 hundredths, like the counters.
bool agentRestarted(int64_t previousUpTime, int64_t upTime, int64_t wallSeconds)
{
    if (previousUpTime < 0 || upTime < 0)
        return false;
    const uint64_t advanced =
        (static_cast<uint64_t>(upTime) - static_cast<uint64_t>(previousUpTime)) & 0xFFFFFFFFULL;
    if (advanced >= 0x80000000ULL)
        return true; // went back
    const double upSeconds = static_cast<double>(advanced) / 100.0;
    return upSeconds + 5.0 + 0.05 * static_cast<double>(wallSeconds) <
           static_cast<double>(wallSeconds);
}

} // namespace

TOctets TUsageAccounting::goodPoll(const TGoodPoll& poll)
{
    const int bits = poll.counterBits == 64 ? 64 : 32;
    const TLast now{poll.wallTime, poll.downCounter, poll.upCounter, bits, poll.agentUpTime};
    const auto found = m_last.find(poll.key);
    if (found == m_last.end()) {
        m_last.emplace(poll.key, now);
        return {};
    }
    const TLast before = found->second;
    found->second = now;
    const int64_t gap = poll.wallTime - before.wallTime;
    if (gap < 0 || gap > kMaxGapSeconds || before.counterBits != bits ||
        agentRestarted(before.agentUpTime, poll.agentUpTime, gap))
        return {};
    TOctets octets;
    uint64_t down = 0;
    uint64_t up = 0;
    // Each direction on its own: one counter read back must not discard the
    // other's honest increase.
    if (counterIncrease(before.down, poll.downCounter, bits, down))
        octets.down = down;
    if (counterIncrease(before.up, poll.upCounter, bits, up))
        octets.up = up;
    if (octets.down == 0 && octets.up == 0)
        return octets;
    const int64_t minute = poll.wallTime - ((poll.wallTime % 60) + 60) % 60;
    TMinuteOctets& slot = m_pending[{poll.key, minute}];
    slot.octets.down += octets.down;
    slot.octets.up += octets.up;
    slot.localDay = TCalendarDay::localDayOf(minute).key();
    return octets;
}

TUsageBatch TUsageAccounting::takeBatch()
{
    TUsageBatch batch;
    batch.swap(m_pending);
    return batch;
}
