#include "ClosedSpan.h"

#include "CalendarDay.h"
#include "CounterSeries.h"

#include <algorithm>

namespace ClosedSpan {

namespace {

constexpr uint64_t kUpTimeModulus = 0x100000000ULL; // sysUpTime wraps at 2^32 hundredths

// Whether a 32-bit counter of `bytesPerSecond` can pass its top in `seconds`.
bool mayWrap(double bytesPerSecond, double seconds)
{
    return bytesPerSecond <= 0 || bytesPerSecond * seconds >= 4294967296.0;
}

// One direction's step over the span, or nothing when it went back or jumped
// beyond what its interface carries.
bool spanStep(uint64_t before, uint64_t now, int bits, double bytesPerSecond, double seconds,
              uint64_t& octets)
{
    if (bits == 32) {
        // No pass over the top was possible: a counter below its old
        // reading started again.
        if (now < before || now > 0xFFFFFFFFULL)
            return false;
        octets = now - before;
        return true;
    }
    const CounterStep step =
        boundedStep(before, now, CounterWidth::Bits64,
                    bytesPerSecond > 0 ? bytesPerSecond : kUnknownSpeed, seconds);
    octets = step.octets;
    return !step.reset;
}

} // namespace

TClosedSpanDecision decide(const TKeptSample& before, const TKeptSample& now,
                           const CounterSpeeds& speeds)
{
    TClosedSpanDecision d;
    const auto verdict = [&d](ClosedSpanVerdict v) {
        d.verdict = v;
        return d;
    };
    if (now.wallTime < before.wallTime)
        return verdict(ClosedSpanVerdict::ClockWentBack);
    // The kept reading comes from a file: a time no clock reads is no span.
    int64_t span = 0;
    if (__builtin_sub_overflow(now.wallTime, before.wallTime, &span))
        return verdict(ClosedSpanVerdict::NoUpTime);
    if (before.interfaceName != now.interfaceName || before.counterBits != now.counterBits ||
        (now.counterBits != 32 && now.counterBits != 64))
        return verdict(ClosedSpanVerdict::OtherInterface);
    if (before.engineBoots >= 0 && now.engineBoots >= 0 && before.engineBoots != now.engineBoots)
        return verdict(ClosedSpanVerdict::EngineRebooted);
    // Half the uptime's circle is the longest span it tells anything about.
    const auto upTimeRead = [](int64_t upTime) {
        return upTime >= 0 && static_cast<uint64_t>(upTime) < kUpTimeModulus;
    };
    if (!upTimeRead(before.agentUpTime) || !upTimeRead(now.agentUpTime) ||
        static_cast<double>(span) * 100.0 >= static_cast<double>(kUpTimeModulus / 2))
        return verdict(ClosedSpanVerdict::NoUpTime);
    const uint64_t grew =
        (static_cast<uint64_t>(now.agentUpTime) - static_cast<uint64_t>(before.agentUpTime)) %
        kUpTimeModulus;
    const double seconds = static_cast<double>(span);
    if (grew >= kUpTimeModulus / 2 ||
        static_cast<double>(grew) / 100.0 + kUpTimeSlackSeconds + kUpTimeSlackShare * seconds <
            seconds)
        return verdict(ClosedSpanVerdict::AgentRestarted);
    if (now.counterBits == 32 && (mayWrap(speeds.down, seconds) || mayWrap(speeds.up, seconds)))
        return verdict(ClosedSpanVerdict::MayHaveWrapped);
    if (!spanStep(before.down, now.down, now.counterBits, speeds.down, seconds, d.octets.down) ||
        !spanStep(before.up, now.up, now.counterBits, speeds.up, seconds, d.octets.up)) {
        d.octets = {};
        return verdict(ClosedSpanVerdict::CounterWentBack);
    }
    return verdict(ClosedSpanVerdict::Counted);
}

namespace {

// The share of `total` up to `elapsed` of `span` seconds, rounded down; the
// differences of successive shares add up to the whole.
uint64_t shareUpTo(uint64_t total, int64_t elapsed, int64_t span)
{
    return static_cast<uint64_t>(static_cast<unsigned __int128>(total) *
                                 static_cast<uint64_t>(elapsed) / static_cast<uint64_t>(span));
}

} // namespace

std::vector<TPiece> spread(int64_t from, int64_t to, const TOctets& octets)
{
    std::vector<TPiece> pieces;
    if (to <= from) {
        // No time to share over: it all belongs where the span ends.
        pieces.push_back(
            {to - ((to % 3600) + 3600) % 3600, TCalendarDay::localDayOf(to).key(), octets});
        return pieces;
    }
    const int64_t span = to - from;
    uint64_t givenDown = 0;
    uint64_t givenUp = 0;
    for (int64_t start = from; start < to;) {
        const int64_t hour = start - ((start % 3600) + 3600) % 3600;
        const TCalendarDay day = TCalendarDay::localDayOf(start);
        const int64_t end = std::min({to, hour + 3600, day.plusDays(1).localStart()});
        const uint64_t down = shareUpTo(octets.down, end - from, span);
        const uint64_t up = shareUpTo(octets.up, end - from, span);
        TPiece piece{hour, day.key(), {down - givenDown, up - givenUp}};
        givenDown = down;
        givenUp = up;
        if (!pieces.empty() && pieces.back().hour == piece.hour &&
            pieces.back().localDay == piece.localDay) {
            pieces.back().octets.down += piece.octets.down;
            pieces.back().octets.up += piece.octets.up;
        } else {
            pieces.push_back(piece);
        }
        start = end > start ? end : start + 1;
    }
    return pieces;
}

std::string gapReason(ClosedSpanVerdict verdict)
{
    switch (verdict) {
    case ClosedSpanVerdict::Counted:
        return "counted";
    case ClosedSpanVerdict::ClockWentBack:
        return "the clock went back";
    case ClosedSpanVerdict::NoUpTime:
        return "the agent's uptime is not known";
    case ClosedSpanVerdict::AgentRestarted:
    case ClosedSpanVerdict::EngineRebooted:
        return "the agent restarted";
    case ClosedSpanVerdict::OtherInterface:
        return "the interface changed";
    case ClosedSpanVerdict::MayHaveWrapped:
        return "32-bit counters may have wrapped";
    case ClosedSpanVerdict::CounterWentBack:
        return "the counters started again";
    }
    return "unknown";
}

} // namespace ClosedSpan
