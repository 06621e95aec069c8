#include "VrRaster.h"

#include "ImageProbe.h"

#include <gtest/gtest.h>

namespace {

using namespace VrColor;

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

TEST(VrRaster, LinesLeaveOutTheirEndPoint)
{
    QImage image = blank(20, 20);
    VrRaster::line(image, QPoint(2, 5), QPoint(6, 5), clRed);
    EXPECT_EQ(columnsOf(image, 5, clRed), (std::vector<int>{2, 3, 4, 5}));
    VrRaster::line(image, QPoint(10, 9), QPoint(10, 6), clLime);
    EXPECT_EQ(rowsOf(image, 10, clLime), (std::vector<int>{7, 8, 9}));
}

TEST(VrRaster, MinorAxisRoundsToNearest)
{
    QImage image = blank(20, 20);
    VrRaster::line(image, QPoint(0, 0), QPoint(10, 3), clRed);
    // y = 0.3 x rounded: 0 for x < 2, 1 up to 4, 2 from 5 (1.5 rounds away from the start)
    EXPECT_EQ(columnsOf(image, 0, clRed), (std::vector<int>{0, 1}));
    EXPECT_EQ(columnsOf(image, 1, clRed), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(columnsOf(image, 2, clRed), (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(columnsOf(image, 3, clRed), (std::vector<int>{9}));
}

TEST(VrRaster, ClippingKeepsThePixelsOfTheWholeLine)
{
    QImage whole = blank(40, 40);
    VrRaster::line(whole, QPoint(3, 30), QPoint(37, 4), clRed);
    // The same line starting far outside on both axes, seen through a window.
    QImage clipped = blank(40, 40);
    VrRaster::line(clipped, QPoint(3 - 34000, 30 + 26000), QPoint(37, 4), clRed);
    for (int x = 3; x < 37; ++x)
        EXPECT_EQ(rowsOf(clipped, x, clRed), rowsOf(whole, x, clRed)) << "column " << x;
    QImage far = blank(10, 10);
    VrRaster::line(far, QPoint(-2000000000, 5), QPoint(2000000000, 5), clRed);
    EXPECT_EQ(columnsOf(far, 5, clRed).size(), 10u);
    VrRaster::line(far, QPoint(-5, -5), QPoint(-1, 20), clLime);
    EXPECT_TRUE(rowsOf(far, 0, clLime).empty());
}

TEST(VrRaster, PolylineSegmentsMeetWithoutGaps)
{
    QImage image = blank(20, 20);
    const QPoint points[] = {{1, 1}, {5, 1}, {5, 6}, {1, 6}};
    VrRaster::polyline(image, points, 4, clRed);
    EXPECT_EQ(columnsOf(image, 1, clRed), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(rowsOf(image, 5, clRed), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(columnsOf(image, 6, clRed), (std::vector<int>{2, 3, 4, 5}));
}

} // namespace
