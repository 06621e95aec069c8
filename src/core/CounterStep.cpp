#include "CounterStep.h"

namespace {

constexpr std::uint64_t LargestPassOverTop = std::uint64_t(1) << 56;
constexpr std::uint64_t LargestPassOverTop32 = std::uint64_t(1) << 31;

} // namespace

CounterStep counterStep(std::uint64_t previous, std::uint64_t current, CounterWidth width)
{
    CounterStep step;
    if (width == CounterWidth::Bits32) {
        const std::uint64_t octets = (current - previous) & 0xFFFFFFFFu;
        if (octets < LargestPassOverTop32)
            step.octets = octets;
        else
            step.reset = true;
        return step;
    }
    if (current >= previous) {
        step.octets = current - previous;
        return step;
    }
    const std::uint64_t overTop = current - previous; // modulo 2^64
    if (overTop < LargestPassOverTop) {
        step.octets = overTop;
    } else {
        step.reset = true;
    }
    return step;
}

double stepRate(const CounterStep& step, double seconds)
{
    if (step.reset || !(seconds > 0)) {
        return 0;
    }
    return static_cast<double>(step.octets) / seconds;
}
