#include "VrPercent.h"

#include <cmath>
#include <limits>

namespace VrPercent {
namespace {
int truncateToInt(long double v)
{
    const long double t = std::truncl(v);
    if (!(t >= static_cast<long double>(std::numeric_limits<int>::min())))
        return std::numeric_limits<int>::min();
    if (t > static_cast<long double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(t);
}
} // namespace

int percentOf(std::int64_t x, std::int64_t z)
{
    if (z == 0)
        return 0;
    return truncateToInt(static_cast<long double>(x) * 100.0L / static_cast<long double>(z));
}

int shareOf(int percent, int count)
{
    const long double fraction = static_cast<long double>(percent) * 0.01L;
    return truncateToInt(static_cast<long double>(count) * fraction);
}

} // namespace VrPercent
