#pragma once

#include <cstdint>

// The percent arithmetic shared by the scope graph and the level bar. Both
// work in whole percent and go through the 64-bit-mantissa floating point of
// x86 long double, whose nearest value to 0.01 lies slightly below one
// hundredth: products that are whole in exact arithmetic can come out one
// lower (40 % of 120 segments is 47). The drawings depend on that, so it is
// kept as it is.
namespace VrPercent {

// P(x, z): x as a whole percent of z, truncated toward zero; 0 when z is 0.
// |x| and |z| must stay below 2^56.
int percentOf(std::int64_t x, std::int64_t z);

// S(p, n): p percent of the count n, truncated toward zero.
int shareOf(int percent, int count);

} // namespace VrPercent
