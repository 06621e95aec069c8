#include "VrPercent.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The drawings depend on the 64-bit mantissa of x86's extended long double
// (the nearest value to 0.01 lies below one hundredth); a platform whose
// long double is a plain double would draw other segment counts and rows.
static_assert(std::numeric_limits<long double>::digits == 64,
              "the percent rule needs an 80-bit long double with a 64-bit mantissa");

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
    // Integer division gives exactly what the floating-point quotient
    // truncates to: both operands are exact, the quotient is correctly
    // rounded, and a quotient that is not whole lies at least 1/|z| away
    // from the next whole number, far more than its rounding error.
    // Operands up to 2^31 times 100 stay well inside 64 bits.
    const std::int64_t q = x * 100 / z;
    return static_cast<int>(
        std::max<std::int64_t>(std::numeric_limits<int>::min(),
                               std::min<std::int64_t>(q, std::numeric_limits<int>::max())));
}

int shareOf(int percent, int count)
{
    const long double fraction = static_cast<long double>(percent) * 0.01L;
    return truncateToInt(static_cast<long double>(count) * fraction);
}

} // namespace VrPercent
