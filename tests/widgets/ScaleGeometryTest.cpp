#include "ScaleGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace ScaleGeometry;

TEST(ScaleGeometry, NormalLayoutStepCellAndTops)
{
    EXPECT_EQ(step(0, 1000, 8), 125);
    EXPECT_EQ(cellSize(141, 8), 15);
    EXPECT_EQ(labelCell(8, voVertical, 26, 141, 15), QRect(0, 6, 26, 15));
}

TEST(ScaleGeometry, StepTruncatesSoTheLastLabelMayStayBelowMax)
{
    EXPECT_EQ(step(0, 100, 8), 12); // labels 0, 12, ..., 96
    EXPECT_EQ(step(-5, 5, 3), 3);
    EXPECT_EQ(step(5, -5, 3), -3);
    // The full int range does not overflow.
    EXPECT_EQ(step(-2147483647 - 1, 2147483647, 1), 4294967295LL);
}

TEST(ScaleGeometry, HorizontalCellsRunRightward)
{
    EXPECT_EQ(cellSize(215, 5), 35);
    EXPECT_EQ(labelCell(0, voHorizontal, 215, 11, 35), QRect(0, 0, 35, 11));
    EXPECT_EQ(labelCell(2, voHorizontal, 215, 11, 35), QRect(70, 0, 35, 11));
}

TEST(ScaleGeometry, LabelTextSignAndLeadingZeros)
{
    EXPECT_EQ(labelText(125, false, 3, true), "+125");
    EXPECT_EQ(labelText(0, false, 3, true), "0");
    EXPECT_EQ(labelText(-5, false, 3, true), "-5");
    EXPECT_EQ(labelText(125, false, 3, false), "125");
    EXPECT_EQ(labelText(7, true, 3, false), "007");
    EXPECT_EQ(labelText(7, true, 3, true), "+007");
    EXPECT_EQ(labelText(-7, true, 3, false), "-007");
    EXPECT_EQ(labelText(12345, true, 3, false), "12345");
    EXPECT_EQ(labelText(1, true, 1000000, false).size(), 20);
}

TEST(ScaleGeometry, TickMarksSitMidCellOnTheChosenSides)
{
    EXPECT_TRUE(tickMarks(voVertical, tmNone, 26, 141, 15, 8, 4, 5).empty());
    const auto left = tickMarks(voVertical, tmTopLeft, 26, 141, 15, 8, 4, 5);
    ASSERT_EQ(left.size(), 9u);
    EXPECT_EQ(left[0], QLine(4, 133, 9, 133));
    EXPECT_EQ(left[8], QLine(4, 13, 9, 13));
    const auto both = tickMarks(voHorizontal, tmBoth, 215, 11, 35, 5, 0, 3);
    ASSERT_EQ(both.size(), 12u);
    EXPECT_EQ(both[0], QLine(17, 0, 17, 3));
    EXPECT_EQ(both[1], QLine(17, 8, 17, 11));
}

TEST(ScaleGeometry, NoTicksOrFewerGiveEmptyCells)
{
    // Zero ticks still make one cell; below that there is nothing to lay out.
    EXPECT_EQ(cellSize(141, 0), 141);
    for (const int ticks : {-1, -2, -2147483647 - 1})
        EXPECT_EQ(cellSize(141, ticks), 0) << ticks;
    EXPECT_EQ(step(0, 100, 0), 0);
    EXPECT_EQ(step(0, 100, -1), 0);
}

} // namespace
