#include "RefreshSteps.h"

#include <algorithm>

namespace {

bool moved(const CounterStep& step)
{
    return step.octets > 0 || step.reset;
}

// A change that came in the same poll as expected may come a little early by
// the clocks' rounding: a quarter of the poll is tolerated.
constexpr double kEarlyShare = 0.25;

// Spans over more than one poll that make a sensor's counters stepped: one
// can be an idle interface starting a transfer, two in the recent spans are
// the agent's refresh.
constexpr int kSteppedSpans = 2;

// A refresh clock beating against the poll moves a change's rate from the
// one shown by up to twice; the traffic changing moves it further.
constexpr double kApart = 3;

bool apart(double rate, double shown)
{
    return rate < shown / kApart || rate > shown * kApart;
}

} // namespace

bool RefreshSteps::stepped() const
{
    int stepped = 0;
    for (std::size_t i = 0; i < m_spanCount; ++i)
        stepped += m_spans[i].polls > 1 ? 1 : 0;
    return stepped >= kSteppedSpans;
}

double RefreshSteps::refreshSeconds() const
{
    double longest = 0;
    for (std::size_t i = 0; i < m_spanCount; ++i)
        longest = std::max(longest, m_spans[i].seconds);
    return longest;
}

StepRates RefreshSteps::step(double seconds, const CounterStep& down, const CounterStep& up)
{
    const double elapsed = seconds > 0 ? seconds : 0;
    m_sinceChange += elapsed;
    ++m_pollsSinceChange;
    if (!moved(down) && !moved(up)) {
        // Nothing new from the agent: the last jump's rates hold while a
        // refresh may still be due.
        if (stepped() && m_sinceChange + kEarlyShare * elapsed < refreshSeconds())
            return m_held;
        m_held = {};
        m_changeCount = 0;
        return m_held;
    }
    const double span = m_sinceChange;
    const int polls = m_pollsSinceChange;
    m_sinceChange = 0;
    m_pollsSinceChange = 0;
    if (span <= kLongestRefreshSeconds) {
        m_spans[m_next] = {span, polls};
        m_next = (m_next + 1) % kSpansKept;
        m_spanCount = std::min(m_spanCount + 1, kSpansKept);
    }
    const double over = stepped() && span <= kLongestRefreshSeconds ? span : elapsed;
    if (span > kLongestRefreshSeconds || down.reset || up.reset || !(over > 0)) {
        // Nothing before this change belongs with it.
        m_changeCount = 0;
        m_held = {stepRate(down, over), stepRate(up, over)};
        return m_held;
    }
    // A change far from the rates shown is the traffic changing, not the
    // refresh clock beating against the poll.
    if (m_changeCount > 0 &&
        (apart(stepRate(down, over), m_held.down) || apart(stepRate(up, over), m_held.up)))
        m_changeCount = 0;
    m_held = averaged({double(down.octets), double(up.octets), over});
    return m_held;
}

StepRates RefreshSteps::averaged(const Change& change)
{
    m_changes[m_nextChange] = change;
    m_nextChange = (m_nextChange + 1) % kChangesAveraged;
    m_changeCount = std::min(m_changeCount + 1, kChangesAveraged);
    Change sum;
    for (std::size_t i = 0; i < m_changeCount; ++i) {
        const Change& c = m_changes[(m_nextChange + kChangesAveraged - 1 - i) % kChangesAveraged];
        sum.down += c.down;
        sum.up += c.up;
        sum.seconds += c.seconds;
    }
    return {sum.down / sum.seconds, sum.up / sum.seconds};
}
