#pragma once

// Successive samples of one sensor's counters turned into octets and rates.
// Each consumer that needs a baseline of its own (the graph, the traffic log,
// the usage history) keeps one series and feeds it the samples it reads; the
// rules of when a step counts live here and nowhere else.

#include "CounterSample.h"
#include "CounterStep.h"
#include "RefreshSteps.h"

#include <cstdint>

// Why a step counts or not.
enum class SeriesEvent
{
    Counted,        // both directions stepped from the previous sample
    Baseline,       // the first sample: nothing to step from
    AgentRestarted, // the agent started again: its counters did too
    Rebound,        // other counters (interface, width or time source) than before
};

struct SeriesStep
{
    SeriesEvent event = SeriesEvent::Baseline;
    // Each direction on its own: a counter that went back, or jumped further
    // than its interface could carry, is a reset there and no traffic,
    // without discarding the other direction's honest step.
    CounterStep down;
    CounterStep up;
    // Since the previous sample; 0 when the clock stood or went back.
    double seconds = 0;
    // Bytes per second by the rule the step was asked for.
    StepRates rates;

    bool counted() const { return event == SeriesEvent::Counted; }
    uint64_t downOctets() const { return counted() && !down.reset ? down.octets : 0; }
    uint64_t upOctets() const { return counted() && !up.reset ? up.octets : 0; }
    // Bytes per second; 0 outside a counted step and without time passing.
    double downRate() const { return counted() ? rates.down : 0; }
    double upRate() const { return counted() ? rates.up : 0; }
};

// A forward step an interface could not have carried is a discontinuity (an
// agent that jumped its counter, a counter replaced under the same number):
// more than kSpeedMargin times its speed over the elapsed time plus
// kSlackSeconds. The slack covers agents that refresh their counters only
// every few seconds and coarse time readings; the margin covers interfaces
// whose reported speed understates them (a loopback reports 10 Mbit/s). An
// interface of unknown speed is taken as kUnknownSpeed, 100 Gbit/s: with the
// margin nothing below 1 Tbit/s is ever refused, while a 64-bit counter
// jumping by 2^60 (1.15e18 octets) is.
constexpr double kSpeedMargin = 10;
constexpr double kSlackSeconds = 10;
constexpr double kUnknownSpeed = 100e9 / 8; // bytes per second

// The step between two readings with the bound above; seconds below 0 count
// as 0.
CounterStep boundedStep(uint64_t previous, uint64_t current, CounterWidth width,
                        double bytesPerSecond, double seconds);

class CounterSeries
{
public:
    // Steps from the previous sample (when it belongs to the same counters)
    // to this one, which becomes the baseline in any case. The octets are the
    // same under either rule; the rule says how they become rates.
    SeriesStep step(const CounterSample& sample, const CounterSpeeds& speeds = {},
                    RateRule rule = RateRule::PerPoll);
    // The rates of a step counted outside the series (a version 1 sensor
    // keeps its previous counters itself) by the rule, with what the series
    // learnt of the agent's refresh steps.
    StepRates rates(double seconds, const CounterStep& down, const CounterStep& up, RateRule rule);
    // Forgets the baseline: the next sample starts the series again.
    void restart()
    {
        m_have = false;
        m_steady.restart();
    }

    bool hasBaseline() const { return m_have; }
    const CounterSample& last() const { return m_last; }

private:
    bool m_have = false;
    CounterSample m_last;
    // What the agent's refresh steps have shown so far, learnt under either
    // rule so that a change of rule takes effect at once.
    RefreshSteps m_steady;
};
