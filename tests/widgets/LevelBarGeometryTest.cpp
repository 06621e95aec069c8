#include "LevelBarGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace LevelBarGeometry;

TVrBevel latencyBevel()
{
    return TVrBevel::blackFrame();
}

TEST(LevelBarGeometry, BevelWidthCountsEveryFramedPart)
{
    EXPECT_EQ(latencyBevel().width(), 1);
    TVrBevel b; // a new bevel: raised outer with outline, lowered inner, inner space
    EXPECT_EQ(b.width(), 4);
    b.InnerWidth = 2;
    b.BorderWidth = 3;
    b.InnerOutline = osInner;
    EXPECT_EQ(b.width(), 9);
    b.Visible = false;
    EXPECT_EQ(b.width(), 0);
}

TEST(LevelBarGeometry, LatencyBarLayout)
{
    const Layout l = layout(241, 12, 1, 1, 1, voHorizontal);
    EXPECT_EQ(l.area, QRect(1, 1, 239, 10));
    EXPECT_EQ(l.pitch, 2);
    EXPECT_EQ(l.count, 120);
    EXPECT_EQ(l.length, 241);
    const Zones z = zones(40, 35, 120);
    EXPECT_EQ(z.z1, 47);
    EXPECT_EQ(z.z12, 89);
    EXPECT_EQ(zoneOf(47, z), 1);
    EXPECT_EQ(zoneOf(48, z), 2);
    EXPECT_EQ(zoneOf(89, z), 2);
    EXPECT_EQ(zoneOf(90, z), 3);
}

TEST(LevelBarGeometry, LengthSnapsToWholeSegments)
{
    const Layout l = layout(240, 12, 1, 1, 1, voHorizontal);
    EXPECT_EQ(l.count, 119);
    EXPECT_EQ(l.length, 239);
    // Snapped lengths are stable.
    EXPECT_EQ(layout(239, 12, 1, 1, 1, voHorizontal).length, 239);
    const Layout v = layout(20, 170, 5, 1, 1, voVertical);
    EXPECT_EQ(v.count, 80);
    EXPECT_EQ(v.length, 169);
    // Nothing fits: the length stays.
    EXPECT_EQ(layout(2, 12, 1, 1, 1, voHorizontal).count, 0);
    EXPECT_EQ(layout(2, 12, 1, 1, 1, voHorizontal).length, 2);
    EXPECT_EQ(layout(100, 12, 1, 1, -1, voHorizontal).count, 0);
}

TEST(LevelBarGeometry, LitSegmentsFollowWholePercentOfTheRange)
{
    EXPECT_EQ(litCount(80, 0, 200, 120), 47);
    EXPECT_EQ(litCount(200, 0, 200, 120), 120);
    EXPECT_EQ(litCount(3, 0, 200, 120), 1);
    EXPECT_EQ(litCount(1, 0, 200, 120), 0);
    EXPECT_EQ(litCount(0, 0, 200, 120), 0);
}

TEST(LevelBarGeometry, SegmentsStartFlushAtTheGrowingEnd)
{
    const Layout h = layout(241, 12, 1, 1, 1, voHorizontal);
    EXPECT_EQ(segmentRect(1, h, 1, voHorizontal, psBottomLeft), QRect(1, 1, 1, 10));
    EXPECT_EQ(segmentRect(120, h, 1, voHorizontal, psBottomLeft), QRect(239, 1, 1, 10));
    EXPECT_EQ(segmentRect(1, h, 1, voHorizontal, psTopRight), QRect(239, 1, 1, 10));
    EXPECT_EQ(segmentRect(2, h, 1, voHorizontal, psTopRight), QRect(237, 1, 1, 10));
    const Layout v = layout(20, 169, 5, 2, 1, voVertical);
    EXPECT_EQ(segmentRect(1, v, 2, voVertical, psBottomLeft), QRect(5, 162, 10, 2));
    EXPECT_EQ(segmentRect(1, v, 2, voVertical, psTopRight), QRect(5, 5, 10, 2));
}

TEST(LevelBarGeometry, BevelFramesFromTheOutsideIn)
{
    const auto latency = bevelFrames(QRect(0, 0, 241, 12), latencyBevel());
    ASSERT_EQ(latency.size(), 1u);
    EXPECT_EQ(latency[0].rect, QRect(0, 0, 241, 12));
    EXPECT_EQ(latency[0].topLeft, VrColor::clBlack);

    TVrBevel b;
    b.OuterShadow = 1;
    b.OuterHighlight = 2;
    b.InnerShadow = 3;
    b.InnerHighlight = 4;
    b.InnerColor = 5;
    const auto frames = bevelFrames(QRect(0, 0, 20, 20), b);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].topLeft, VrColor::clBlack); // outer outline
    EXPECT_EQ(frames[1].topLeft, 2u);               // raised: highlight on top
    EXPECT_EQ(frames[1].bottomRight, 1u);
    EXPECT_EQ(frames[2].topLeft, 3u); // lowered: shadow on top
    EXPECT_EQ(frames[2].bottomRight, 4u);
    EXPECT_EQ(frames[3].rect, QRect(3, 3, 14, 14));
    EXPECT_EQ(frames[3].topLeft, 5u);
    // Frames stop where the rectangle runs out.
    b.BorderWidth = 1000000;
    EXPECT_EQ(bevelFrames(QRect(0, 0, 20, 20), b).size(), 10u);
}

} // namespace
