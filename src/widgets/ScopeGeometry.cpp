#include "ScopeGeometry.h"

#include "VrPercent.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ScopeGeometry {

int baseRow(int height, int baseOffset)
{
    const long double share = static_cast<long double>(height) / 100.0L * baseOffset;
    // nearbyint rounds half to even in the default rounding mode.
    return height - static_cast<int>(std::nearbyintl(share)) - 1;
}

int valueToRow(std::int64_t value, std::int64_t minValue, std::int64_t maxValue, int height)
{
    const int pct = VrPercent::percentOf(value - minValue, maxValue - minValue);
    return height - VrPercent::shareOf(pct, height);
}

RowMap::RowMap(std::int64_t minValue, std::int64_t maxValue, int height)
    : m_minValue(minValue), m_range(maxValue - minValue),
      m_inverse(m_range > 0 ? 1.0 / static_cast<double>(m_range) : 0.0), m_height(height)
{
    for (int pct = 0; pct <= 100; ++pct)
        m_rows[pct] = height - VrPercent::shareOf(pct, height);
}

int RowMap::row(std::int64_t value) const
{
    const std::int64_t scaled = (value - m_minValue) * 100;
    if (m_range > 0 && scaled >= 0 && scaled <= 100 * m_range) {
        // The percent of the range without a 64-bit division: estimate with
        // the reciprocal, then correct to the exact truncated quotient.
        auto pct = static_cast<std::int64_t>(static_cast<double>(scaled) * m_inverse);
        pct = std::clamp<std::int64_t>(pct, 0, 100);
        while (pct > 0 && pct * m_range > scaled)
            --pct;
        while ((pct + 1) * m_range <= scaled)
            ++pct;
        return m_rows[pct];
    }
    const int pct = VrPercent::percentOf(value - m_minValue, m_range);
    if (pct >= 0 && pct <= 100)
        return m_rows[pct];
    return m_height - VrPercent::shareOf(pct, m_height);
}

std::vector<int> verticalGridLines(int width, int gridSize, int gridOffset)
{
    std::vector<int> xs;
    if (gridSize < 1)
        return xs;
    for (std::int64_t x = -static_cast<std::int64_t>(gridOffset); x <= width; x += gridSize)
        xs.push_back(static_cast<int>(x));
    return xs;
}

std::vector<int> horizontalGridLines(int height, int gridSize, int base)
{
    std::vector<int> ys;
    if (gridSize < 1)
        return ys;
    if (base >= 0) {
        std::int64_t y = base;
        do {
            y -= gridSize;
            ys.push_back(static_cast<int>(y));
        } while (y >= 0);
    }
    for (std::int64_t y = base; y <= height;) {
        y += gridSize;
        // The last line lies beyond the bottom edge; keep it inside int.
        ys.push_back(static_cast<int>(std::min<std::int64_t>(y, std::numeric_limits<int>::max())));
    }
    return ys;
}

} // namespace ScopeGeometry
