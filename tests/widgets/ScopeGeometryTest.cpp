#include "ScopeGeometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ScopeGeometry::baseRow;
using ScopeGeometry::valueToRow;

TEST(ScopeGeometry, BaseRowRoundsHalfToEven)
{
    EXPECT_EQ(baseRow(133, 50), 66); // 66.5 -> 66
    EXPECT_EQ(baseRow(68, 50), 33);
    EXPECT_EQ(baseRow(137, 50), 68); // 68.5 -> 68
    EXPECT_EQ(baseRow(100, 0), 99);
    EXPECT_EQ(baseRow(100, 100), -1);
    EXPECT_LT(baseRow(133, 150), 0);
}

TEST(ScopeGeometry, ValueToRowHasWholePercentResolution)
{
    EXPECT_EQ(valueToRow(640, -1, 1279, 133), 67);
    EXPECT_EQ(valueToRow(5, 0, 100, 100), 96); // 100 * 0.05 comes out just below 5
    EXPECT_EQ(valueToRow(0, 0, 100, 133), 133);
    EXPECT_EQ(valueToRow(100, 0, 100, 133), 0);
    EXPECT_EQ(valueToRow(-999999999, -999999999, 999999999, 133), 133);
    EXPECT_EQ(valueToRow(999999999, -999999999, 999999999, 133), 0);
}

TEST(ScopeGeometry, RowMapAgreesWithValueToRow)
{
    const std::pair<int, int> ranges[] = {{0, 100}, {-1, 1279}, {-999999999, 999999999}, {7, 8}};
    for (const auto& [low, high] : ranges) {
        for (int height : {1, 68, 100, 133, 137}) {
            const ScopeGeometry::RowMap map(low, high, height);
            const std::int64_t span = static_cast<std::int64_t>(high) - low;
            for (std::int64_t i = 0; i <= 2000; ++i) {
                const std::int64_t v = low + span * i / 2000;
                ASSERT_EQ(map.row(v), valueToRow(v, low, high, height))
                    << low << ".." << high << " height " << height << " value " << v;
            }
            EXPECT_EQ(map.row(low - 1), valueToRow(low - 1, low, high, height));
        }
    }
}

TEST(ScopeGeometry, GridLinesAreAnchoredOnTheBaseLine)
{
    EXPECT_EQ(ScopeGeometry::verticalGridLines(40, 16, 0), (std::vector<int>{0, 16, 32}));
    EXPECT_EQ(ScopeGeometry::verticalGridLines(40, 16, 5), (std::vector<int>{-5, 11, 27}));
    EXPECT_EQ(ScopeGeometry::verticalGridLines(32, 16, 0), (std::vector<int>{0, 16, 32}));
    // Above the base down to the first line off the top, then below it to
    // the first line off the bottom.
    EXPECT_EQ(ScopeGeometry::horizontalGridLines(68, 11, 33),
              (std::vector<int>{22, 11, 0, -11, 44, 55, 66, 77}));
    // A base above the top edge draws only the lines below it.
    EXPECT_EQ(ScopeGeometry::horizontalGridLines(20, 10, -5), (std::vector<int>{5, 15, 25}));
}

std::vector<QPoint> trace(const ScopeGeometry::TraceParams& p, const std::vector<int>& newestFirst)
{
    std::vector<QPoint> points;
    const int count =
        ScopeGeometry::tracePoints(points, p, static_cast<int>(newestFirst.size()),
                                   [&](int k) { return newestFirst[static_cast<std::size_t>(k)]; });
    points.resize(static_cast<std::size_t>(count));
    return points;
}

ScopeGeometry::TraceParams smallScope()
{
    ScopeGeometry::TraceParams p;
    p.width = 10;
    p.height = 100;
    p.base = 49;
    p.minValue = 0;
    p.maxValue = 100;
    p.frequency = 4;
    return p;
}

TEST(ScopeGeometry, RightToLeftLineStartsBeyondTheRightEdgeAndReturnsToBase)
{
    const auto p = smallScope();
    // Newest at x = Width, then Width - F ...; history ends before the left
    // edge, so the trace drops back to the base line.
    EXPECT_EQ(trace(p, {50, 100}), (std::vector<QPoint>{{14, 49}, {10, 50}, {6, 0}, {2, 49}}));
    // A long history stops after the first point at x <= 0.
    EXPECT_EQ(trace(p, {50, 50, 50, 50, 50}),
              (std::vector<QPoint>{{14, 49}, {10, 50}, {6, 50}, {2, 50}, {-2, 50}}));
}

TEST(ScopeGeometry, RightToLeftBarDrawsStepsOfFrequencyPixels)
{
    auto p = smallScope();
    p.style = gsBar;
    EXPECT_EQ(trace(p, {50, 100}),
              (std::vector<QPoint>{{14, 49}, {10, 50}, {6, 50}, {6, 0}, {2, 0}, {2, 49}}));
}

TEST(ScopeGeometry, LeftToRightStartsVisibleAtTheLeftEdge)
{
    auto p = smallScope();
    p.direction = sdLeftToRight;
    EXPECT_EQ(trace(p, {50, 100}), (std::vector<QPoint>{{4, 49}, {0, 50}, {4, 0}, {8, 49}}));
    p.style = gsBar;
    EXPECT_EQ(trace(p, {50, 100}),
              (std::vector<QPoint>{{4, 49}, {0, 50}, {4, 50}, {4, 0}, {8, 0}, {8, 49}}));
}

TEST(ScopeGeometry, LeftToRightStopsOnceOffTheRightEdge)
{
    auto p = smallScope();
    p.direction = sdLeftToRight;
    p.frequency = 1000000000;
    const std::vector<int> history(999, 50);
    const auto points = trace(p, history);
    ASSERT_LE(points.size(), 4u);
    EXPECT_EQ(points[1], QPoint(0, 50));
}

} // namespace
