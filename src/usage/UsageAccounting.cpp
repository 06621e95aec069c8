#include "UsageAccounting.h"

#include "CalendarDay.h"

namespace {

// The agent restarted between two polls when its uptime advanced less than
// the wall clock did (less 5 s and 5 % for slow polls and clock drift). The
// uptime wraps at 2^32 hundredths, like the counters.
bool restartedWithinGap(int64_t previousUpTime, int64_t upTime, int64_t wallSeconds)
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

TOctets TUsageAccounting::goodPoll(const TGoodPoll& poll, const CounterSpeeds& speeds)
{
    CounterSample sample;
    sample.time = static_cast<double>(poll.wallTime);
    sample.divisor = 1;
    sample.down = poll.downCounter;
    sample.up = poll.upCounter;
    sample.width = poll.counterBits == 64 ? CounterWidth::Bits64 : CounterWidth::Bits32;
    sample.agentUpTime = poll.agentUpTime;
    CounterSeries& series = m_series[poll.key];
    const bool had = series.hasBaseline();
    TKeptSample kept{poll.wallTime,    poll.downCounter, poll.upCounter,    poll.counterBits,
                     poll.agentUpTime, poll.engineBoots, poll.interfaceName};
    if (!had)
        closedSpan(poll.key, kept, speeds);
    m_carry.latest[poll.key] = std::move(kept);
    const CounterSample before = series.last();
    const int64_t gap = poll.wallTime - static_cast<int64_t>(before.time);
    // What the wall clock sees and the series cannot: a gap the computer
    // slept through, and an agent that restarted within one.
    if (had && (gap < 0 || gap > kMaxGapSeconds ||
                restartedWithinGap(before.agentUpTime, poll.agentUpTime, gap)))
        series.restart();
    const SeriesStep step = series.step(sample, speeds);
    const TOctets octets{step.downOctets(), step.upOctets()};
    if (octets.down == 0 && octets.up == 0)
        return octets;
    const int64_t minute = poll.wallTime - ((poll.wallTime % 60) + 60) % 60;
    TMinuteOctets& slot = m_pending[{poll.key, minute}];
    slot.octets.down += octets.down;
    slot.octets.up += octets.up;
    slot.localDay = TCalendarDay::localDayOf(minute).key();
    return octets;
}

void TUsageAccounting::closedSpan(const std::string& key, const TKeptSample& now,
                                  const CounterSpeeds& speeds)
{
    const auto kept = m_kept.find(key);
    if (kept == m_kept.end())
        return;
    const TClosedSpanDecision decision = ClosedSpan::decide(kept->second, now, speeds);
    m_carry.spans.push_back(
        {key, kept->second.wallTime, now.wallTime, decision.verdict, decision.octets});
    m_kept.erase(kept);
}

void TUsageAccounting::resumeFrom(std::map<std::string, TKeptSample> kept)
{
    for (const auto& [key, series] : m_series)
        if (series.hasBaseline())
            kept.erase(key);
    m_kept = std::move(kept);
}

TUsageBatch TUsageAccounting::takeBatch()
{
    TUsageBatch batch;
    batch.swap(m_pending);
    m_carry = {};
    return batch;
}
