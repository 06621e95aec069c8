#pragma once

// Rates from agents that refresh their counters in steps. net-snmp's agent
// reads the kernel's interface counters at most every 3 s, many routers every
// 5-10 s: polled more often than that, a steady transfer shows as polls of
// nothing and then one of the whole refresh's octets (0, 0, 3x at a 1 s
// poll). Once a sensor's counters are seen standing still while time goes on
// and then jumping, a jump's octets are spread over the span since the
// previous jump, and the polls in between show the last jump's rate, until a
// refresh period passes with nothing: then the interface is idle and shows 0.
// An agent that refreshes on a clock of its own while polled less often than
// that (every 3 s, polled every 5 s) moves at every poll by one refresh or
// two: the rate is taken over the last kChangesAveraged changes (15 s there,
// five whole refreshes), started afresh at every quiet poll, reset or quiet
// time longer than a refresh.

#include "CounterStep.h"

#include <array>
#include <cstddef>

// Which rule turns a sensor's counter steps into the rates shown.
enum class RateRule
{
    PerPoll, // the octets of each poll over its own seconds
    Steady,  // as above, spread over the agent's refresh steps once it has any
};

// The longest span between two changes that is still taken for one refresh of
// the agent's counters; a longer quiet time is an idle interface, and the
// octets after it are the poll's own.
constexpr double kLongestRefreshSeconds = 12;
constexpr std::size_t kChangesAveraged = 3;

struct StepRates
{
    double down = 0; // bytes per second
    double up = 0;
};

class RefreshSteps
{
public:
    // One counted step of both directions over `seconds`: the rates to show.
    StepRates step(double seconds, const CounterStep& down, const CounterStep& up);
    // Forgets everything learnt: the counters start again.
    void restart() { *this = RefreshSteps(); }

    // The agent's counters were seen to stand still and then jump.
    bool stepped() const;
    // The longest of the recent spans between changes, in seconds.
    double refreshSeconds() const;

private:
    struct Span
    {
        double seconds = 0;
        int polls = 0;
    };
    static constexpr std::size_t kSpansKept = 8;

    // Octets of a change and the seconds they were counted over.
    struct Change
    {
        double down = 0;
        double up = 0;
        double seconds = 0;
    };
    StepRates averaged(const Change& change);

    std::array<Span, kSpansKept> m_spans{};
    std::array<Change, kChangesAveraged> m_changes{};
    std::size_t m_changeCount = 0;
    std::size_t m_nextChange = 0;
    std::size_t m_spanCount = 0;
    std::size_t m_next = 0;
    double m_sinceChange = 0;
    int m_pollsSinceChange = 0;
    StepRates m_held;
};
