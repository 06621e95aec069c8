#include "VrRaster.h"

#include "ImageProbe.h"

#include <gtest/gtest.h>

#include <cstdint>

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

// The rule written out pixel by pixel: for every major coordinate of the
// image, the line's step t there and its rounded minor coordinate.
QImage reference(int w, int h, QPoint a, QPoint b)
{
    QImage image = blank(w, h);
    const __int128 dx = static_cast<__int128>(b.x()) - a.x();
    const __int128 dy = static_cast<__int128>(b.y()) - a.y();
    if (dx == 0 && dy == 0)
        return image;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const __int128 dm = xMajor ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
    const __int128 dn = xMajor ? (dy < 0 ? -dy : dy) : (dx < 0 ? -dx : dx);
    const int ms = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int ns = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const __int128 m0 = xMajor ? a.x() : a.y();
    const __int128 n0 = xMajor ? a.y() : a.x();
    for (int major = 0; major < (xMajor ? w : h); ++major) {
        const __int128 t = (major - m0) * ms;
        if (t < 0 || t >= dm)
            continue;
        const __int128 minor = n0 + ns * ((2 * t * dn + dm) / (2 * dm));
        if (minor < 0 || minor >= (xMajor ? h : w))
            continue;
        image.setPixel(xMajor ? major : static_cast<int>(minor),
                       xMajor ? static_cast<int>(minor) : major, qRgb(0xFF, 0, 0));
    }
    return image;
}

TEST(VrRaster, EveryLineFollowsTheRule)
{
    std::uint32_t seed = 7;
    auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
    };
    for (int i = 0; i < 3000; ++i) {
        QPoint a(next(160) - 60, next(130) - 50);
        QPoint b(next(160) - 60, next(130) - 50);
        if (i % 10 == 0) // far outside, up to the ends of int
            a = QPoint(next(2) ? 2147483647 - next(5) : -2147483647 - 1 + next(5), next(40));
        if (i % 15 == 0)
            b = QPoint(next(40), next(2) ? 2147483647 : -2147483647 - 1);
        QImage image = blank(40, 30);
        VrRaster::line(image, a, b, clRed);
        ASSERT_EQ(image, reference(40, 30, a, b))
            << "(" << a.x() << "," << a.y() << ") to (" << b.x() << "," << b.y() << ")";
    }
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
