#include "VrPercent.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(VrPercent, ShareOfCountComesOutOneLowWhereTheHundredthRoundsDown)
{
    // 0.01 in the 64-bit mantissa lies just below one hundredth.
    EXPECT_EQ(VrPercent::shareOf(40, 120), 47);
    EXPECT_EQ(VrPercent::shareOf(35, 120), 42);
    EXPECT_EQ(VrPercent::shareOf(5, 100), 4);
    EXPECT_EQ(VrPercent::shareOf(50, 133), 66);
    EXPECT_EQ(VrPercent::shareOf(100, 120), 120);
    EXPECT_EQ(VrPercent::shareOf(0, 120), 0);
    EXPECT_EQ(VrPercent::shareOf(1, 120), 1);
}

TEST(VrPercent, PercentOfRangeTruncatesTowardZero)
{
    EXPECT_EQ(VrPercent::percentOf(641, 1280), 50);
    EXPECT_EQ(VrPercent::percentOf(3, 200), 1);
    EXPECT_EQ(VrPercent::percentOf(1, 200), 0);
    EXPECT_EQ(VrPercent::percentOf(-1, 200), 0);
    EXPECT_EQ(VrPercent::percentOf(200, 200), 100);
    EXPECT_EQ(VrPercent::percentOf(5, 0), 0);
}

TEST(VrPercent, WideRangesDoNotOverflow)
{
    // Limits of the scope: the product with 100 no longer fits 32 bits.
    EXPECT_EQ(VrPercent::percentOf(1999999998, 1999999998), 100);
    EXPECT_EQ(VrPercent::percentOf(999999998, 1999999998), 49);
}

TEST(VrPercent, SharesBeyondTheIntegerRangeStopAtItsEnds)
{
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    // 2^31: one past the largest; exactly the smallest; far beyond both.
    EXPECT_EQ(VrPercent::shareOf(200, 1 << 30), kMax);
    EXPECT_EQ(VrPercent::shareOf(-200, 1 << 30), kMin);
    EXPECT_EQ(VrPercent::shareOf(1000, kMax), kMax);
    EXPECT_EQ(VrPercent::shareOf(-1000, kMax), kMin);
}

} // namespace
