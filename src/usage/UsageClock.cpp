#include "UsageClock.h"

#include <ctime>

TUsageClock::TUsageClock(Source wall, Source steady)
{
    const bool wallGiven = static_cast<bool>(wall);
    m_wall = wallGiven ? std::move(wall) : Source(&TUsageClock::systemWall);
    if (steady)
        m_steady = std::move(steady);
    else if (wallGiven)
        m_steady = m_wall;
    else
        m_steady = &TUsageClock::systemSteady;
}

int64_t TUsageClock::systemWall()
{
    return static_cast<int64_t>(std::time(nullptr));
}

int64_t TUsageClock::systemSteady()
{
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return static_cast<int64_t>(t.tv_sec);
}

int64_t TUsageClock::now()
{
    const int64_t wall = m_wall();
    const int64_t steady = m_steady();
    if (m_anchored) {
        const int64_t expected = m_wallAnchor + (steady - m_steadyAnchor);
        const int64_t off = wall - expected;
        if (off > kToleranceSeconds || off < -kToleranceSeconds) {
            m_off = true;
            return expected;
        }
    }
    // Small steps (a time server's corrections) are followed.
    m_anchored = true;
    m_off = false;
    m_wallAnchor = wall;
    m_steadyAnchor = steady;
    return wall;
}
