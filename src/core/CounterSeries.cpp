#include "CounterSeries.h"

#include "InterfaceRebinding.h"

namespace {

constexpr double kWrap32 = 4294967296.0;

// Seconds between two time readings that wrap at 2^32 units; 0 when the
// clock stood or went back.
double secondsBetween(double previous, double current, int32_t divisor)
{
    if (divisor <= 0)
        return 0;
    double units = current - previous;
    if (units > kWrap32 / 2)
        units -= kWrap32;
    else if (units < -kWrap32 / 2)
        units += kWrap32;
    return units > 0 ? units / divisor : 0;
}

bool restartedBetween(const CounterSample& before, const CounterSample& now)
{
    if (now.agentRestarted)
        return true;
    if (before.agentUpTime < 0 || now.agentUpTime < 0)
        return false;
    return agentRestarted(static_cast<uint32_t>(before.agentUpTime),
                          static_cast<uint32_t>(now.agentUpTime));
}

} // namespace

CounterStep boundedStep(uint64_t previous, uint64_t current, CounterWidth width,
                        double bytesPerSecond, double seconds)
{
    CounterStep step = counterStep(previous, current, width);
    const double speed = bytesPerSecond > 0 ? bytesPerSecond : kUnknownSpeed;
    const double most = speed * kSpeedMargin * ((seconds > 0 ? seconds : 0) + kSlackSeconds);
    if (!step.reset && static_cast<double>(step.octets) > most) {
        step.octets = 0;
        step.reset = true;
    }
    return step;
}

SeriesStep CounterSeries::step(const CounterSample& sample, const CounterSpeeds& speeds,
                               RateRule rule)
{
    SeriesStep result;
    const CounterSample before = m_last;
    const bool had = m_have;
    m_last = sample;
    m_have = true;
    if (!had) {
        m_steady.restart();
        return result;
    }
    if (before.binding != sample.binding || before.width != sample.width ||
        before.divisor != sample.divisor) {
        result.event = SeriesEvent::Rebound;
        m_steady.restart();
        return result;
    }
    if (restartedBetween(before, sample)) {
        result.event = SeriesEvent::AgentRestarted;
        m_steady.restart();
        return result;
    }
    result.event = SeriesEvent::Counted;
    result.seconds = secondsBetween(before.time, sample.time, sample.divisor);
    result.down = boundedStep(before.down, sample.down, sample.width, speeds.down, result.seconds);
    result.up = boundedStep(before.up, sample.up, sample.width, speeds.up, result.seconds);
    result.rates = rates(result.seconds, result.down, result.up, rule);
    return result;
}

StepRates CounterSeries::rates(double seconds, const CounterStep& down, const CounterStep& up,
                               RateRule rule)
{
    // Learnt under either rule, so a sensor switched to steady rates has
    // them at once.
    const StepRates steady = m_steady.step(seconds, down, up);
    return rule == RateRule::Steady ? steady
                                    : StepRates{stepRate(down, seconds), stepRate(up, seconds)};
}
