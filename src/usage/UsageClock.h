#pragma once

#include <cstdint>
#include <functional>

// The time the usage history books by, in seconds since the epoch. It follows
// the wall clock while the wall clock moves as a steady clock does (one that
// counts on through suspend and that nobody sets); when the wall clock jumps,
// forward or back, by more than kToleranceSeconds, the booking goes on from
// the last time the two agreed plus the steady time since. A minute is then
// booked under the day it happened, not a day next month, and a clock set a
// month ahead prunes nothing it should keep. The wall clock is followed again
// as soon as it agrees with the steady count. Before the first reading there
// is nothing to compare with: the wall clock is taken as it is.
class TUsageClock
{
public:
    using Source = std::function<int64_t()>;
    static constexpr int64_t kToleranceSeconds = 120;

    // Without sources: time() and CLOCK_BOOTTIME. A wall clock given alone
    // is trusted as it is (the steady count then follows it).
    explicit TUsageClock(Source wall = {}, Source steady = {});

    int64_t now();
    // The wall clock differs from the booking time (since the last now()).
    bool wallClockOff() const { return m_off; }

    static int64_t systemWall();
    static int64_t systemSteady();

private:
    Source m_wall;
    Source m_steady;
    bool m_anchored = false;
    bool m_off = false;
    int64_t m_wallAnchor = 0;
    int64_t m_steadyAnchor = 0;
};
