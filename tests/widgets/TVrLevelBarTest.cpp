#include "TVrLevelBar.h"

#include "GuiTestApp.h"
#include "ImageProbe.h"

#include <gtest/gtest.h>

TRAVIMETRA_GUI_TEST_APP;

namespace {

using namespace VrColor;

// The main window's latency bar.
struct LatencyBar : ::testing::Test
{
    TVrLevelBar bar;
    void SetUp() override
    {
        bar.setOrientation(voHorizontal);
        bar.setGeometry(8, 100, 241, 12);
        bar.setMaxValue(200);
        bar.setPercent1(40);
        bar.setPercent2(35);
        TVrBevel bevel = bar.bevel();
        bevel.InnerStyle = bsNone;
        bevel.OuterStyle = bsNone;
        bevel.InnerWidth = 2;
        bevel.InnerSpace = 1;
        bevel.InnerColor = clBlack;
        bevel.OuterOutline = osNone;
        bar.setBevel(bevel);
    }
    // Colour of segment k (from 1) in the middle row.
    TColor segment(int k) { return pixelAt(bar.renderImage(), 1 + (k - 1) * 2, 6); }
};

TEST_F(LatencyBar, LayoutOfOneHundredTwentySegments)
{
    EXPECT_EQ(bar.width(), 241);
    EXPECT_EQ(bar.height(), 12);
    EXPECT_EQ(bar.currentLayout().count, 120);
    bar.setPosition(80); // 40 %: all 47 segments of zone 1
    const QImage& image = bar.renderImage();
    EXPECT_EQ(pixelAt(image, 1, 6), clLime);
    EXPECT_EQ(pixelAt(image, 93, 6), clLime);    // segment 47
    EXPECT_EQ(pixelAt(image, 95, 6), clOlive);   // segment 48: zone 2, dark
    EXPECT_EQ(pixelAt(image, 177, 6), clOlive);  // segment 89
    EXPECT_EQ(pixelAt(image, 179, 6), clMaroon); // segment 90: zone 3, dark
    EXPECT_EQ(pixelAt(image, 239, 6), clMaroon); // segment 120
    EXPECT_EQ(pixelAt(image, 2, 6), clBlack);    // the gap
    // Segments fill the area inside the one-pixel frame.
    EXPECT_EQ(rowsOf(image, 1, clLime), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(pixelAt(image, 0, 6), clBlack);
    EXPECT_EQ(pixelAt(image, 240, 6), clBlack);
}

TEST_F(LatencyBar, LitSegmentsFollowThePosition)
{
    bar.setPosition(200);
    EXPECT_EQ(segment(1), clLime);
    EXPECT_EQ(segment(60), clYellow);
    EXPECT_EQ(segment(120), clRed);
    bar.setPosition(3); // 1 % lights one segment
    EXPECT_EQ(segment(1), clLime);
    EXPECT_EQ(segment(2), clGreen);
    bar.setPosition(1);
    EXPECT_EQ(segment(1), clGreen);
}

TEST_F(LatencyBar, TheFirstSegmentCanStandForAReplyBelowOneSegment)
{
    bar.setLightsFirstSegment(true);
    const struct
    {
        int position;
        TColor first;
        TColor second;
    } rows[] = {
        {0, clGreen, clGreen},                       // no reply: nothing lit
        {1, clLime, clGreen},                        // under a millisecond: the first
        {2, clLime, clGreen},  {3, clLime, clGreen}, // the share rule's own first segment
        {5, clLime, clLime},
    };
    for (const auto& row : rows) {
        bar.setPosition(row.position);
        EXPECT_EQ(segment(1), row.first) << row.position;
        EXPECT_EQ(segment(2), row.second) << row.position;
    }
    bar.setLightsFirstSegment(false);
    bar.setPosition(1);
    EXPECT_EQ(segment(1), clGreen);
}

TEST_F(LatencyBar, PositionIsClampedAndNotifiesOncePerChange)
{
    int changes = 0;
    int atMax = 0;
    int atMin = 0;
    bar.OnChange = [&](TVrLevelBar*) { ++changes; };
    bar.OnMaxValue = [&](TVrLevelBar*) { ++atMax; };
    bar.OnMinValue = [&](TVrLevelBar*) { ++atMin; };
    ASSERT_TRUE(showAndWait(bar));
    const int paints = bar.paintCount();
    bar.setPosition(5000);
    bar.setPosition(5000);
    EXPECT_EQ(bar.position(), 200);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(atMax, 1);
    EXPECT_EQ(bar.paintCount(), paints + 1);
    bar.setPosition(-7);
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(atMin, 1);
    // A narrower range pulls the position in with it.
    bar.setPosition(150);
    bar.setMaxValue(100);
    EXPECT_EQ(bar.position(), 100);
    bar.setMinValue(100); // would empty the range
    bar.setMaxValue(-1);
    EXPECT_EQ(bar.minValue(), 0);
    EXPECT_EQ(bar.maxValue(), 100);
}

TEST_F(LatencyBar, ExcessPercent1IsCutAndExcessPercent2Refused)
{
    bar.setPercent2(70);
    EXPECT_EQ(bar.percent2(), 35);
    bar.setPercent1(70);
    EXPECT_EQ(bar.percent1(), 65);
    bar.setPercent1(-1);
    EXPECT_EQ(bar.percent1(), 65);
}

TEST_F(LatencyBar, TopRightStyleGrowsFromTheRightEnd)
{
    bar.setStyle(psTopRight);
    bar.setPosition(80);
    const QImage& image = bar.renderImage();
    EXPECT_EQ(pixelAt(image, 239, 6), clLime); // segment 1 is at the right
    EXPECT_EQ(pixelAt(image, 147, 6), clLime); // segment 47
    EXPECT_EQ(pixelAt(image, 145, 6), clOlive);
    EXPECT_EQ(pixelAt(image, 1, 6), clMaroon);
}

TEST_F(LatencyBar, LengthSnapsToWholeSegments)
{
    QWidget window;
    window.resize(300, 200);
    bar.setParent(&window);
    ASSERT_TRUE(showAndWait(window));
    bar.resize(240, 12);
    EXPECT_EQ(bar.width(), 239);
    EXPECT_EQ(bar.currentLayout().count, 119);
    EXPECT_EQ(bar.pos(), QPoint(8, 100));
    bar.setParent(nullptr);
}

TEST(TVrLevelBar, NewBarIsVerticalAndSnapsToItsBevel)
{
    TVrLevelBar bar;
    EXPECT_EQ(bar.orientation(), voVertical);
    EXPECT_EQ(bar.width(), 20);
    EXPECT_EQ(bar.height(), 169); // 170 leaves no room for a half segment
    bar.setTickHeight(0);
    EXPECT_EQ(bar.tickHeight(), 1);
    bar.move(5, 6);
    bar.setOrientation(voHorizontal);
    EXPECT_EQ(bar.pos(), QPoint(5, 6));
    EXPECT_EQ(bar.height(), 20);
}

TEST(TVrLevelBar, BevelFramesKeepTheirCornerColours)
{
    TVrLevelBar bar;
    bar.setOrientation(voHorizontal);
    bar.resize(41, 20);
    TVrBevel bevel;
    bevel.OuterOutline = osNone;
    bevel.OuterStyle = bsRaised;
    bevel.OuterHighlight = clWhite;
    bevel.OuterShadow = clGray;
    bevel.InnerStyle = bsNone;
    bevel.InnerSpace = 0;
    bar.setBevel(bevel);
    const QImage& image = bar.renderImage();
    const int right = bar.width() - 1;
    EXPECT_EQ(pixelAt(image, 0, 0), clWhite);
    EXPECT_EQ(pixelAt(image, 0, 18), clWhite);
    EXPECT_EQ(pixelAt(image, 0, 19), clGray); // bottom-left corner takes the shadow
    EXPECT_EQ(pixelAt(image, right, 0), clGray);
    EXPECT_EQ(pixelAt(image, right - 1, 0), clWhite);
    EXPECT_EQ(pixelAt(image, right, 19), clGray);
}

} // namespace
