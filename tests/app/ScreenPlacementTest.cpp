#include "ScreenPlacement.h"

#include <gtest/gtest.h>

namespace {

using ScreenPlacement::onScreen;

// Two monitors side by side: 1280 x 800 (a panel takes its top 28 rows) and
// 1024 x 768 to its right.
const std::vector<QRect> kTwoMonitors = {QRect(0, 28, 1280, 772), QRect(1280, 0, 1024, 768)};

TEST(ScreenPlacement, WindowsComeWhollyOntoTheNearestScreen)
{
    struct Case
    {
        const char* what;
        QRect window;
        QPoint expected;
    };
    const Case cases[] = {
        {"wholly on the first screen: stays", QRect(1019, 419, 260, 380), QPoint(1019, 419)},
        {"wholly on the second screen: stays", QRect(2000, 0, 260, 380), QPoint(2000, 0)},
        {"one pixel off the bottom", QRect(1019, 421, 260, 380), QPoint(1019, 420)},
        {"under the panel", QRect(100, 0, 260, 380), QPoint(100, 28)},
        {"off the left edge", QRect(-100, 300, 260, 380), QPoint(0, 300)},
        // Straddling both, mostly on the second: into the second.
        {"straddling, more on the second", QRect(1200, 100, 260, 380), QPoint(1280, 100)},
        {"straddling, more on the first", QRect(1100, 100, 260, 380), QPoint(1020, 100)},
        // A monitor that is gone: the place lies beyond every screen.
        {"far right of a gone monitor", QRect(3000, 200, 260, 380), QPoint(2044, 200)},
        {"far below", QRect(500, 5000, 260, 380), QPoint(500, 420)},
        {"far above and left", QRect(-4000, -4000, 260, 380), QPoint(0, 28)},
        // Larger than the screen (a scale that grew): aligned at its top left.
        {"taller than the screen", QRect(400, 200, 390, 1140), QPoint(400, 28)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(onScreen(c.window, kTwoMonitors), c.expected) << c.what;
}

TEST(ScreenPlacement, AWindowBesideTheStripGoesRightThenLeftThenOntoTheScreen)
{
    struct Case
    {
        const char* what;
        QRect strip;
        QPoint expected; // of a 720 x 640 window, 8 pixels from the strip
    };
    const Case cases[] = {
        {"room on the right", QRect(100, 100, 260, 380), QPoint(368, 100)},
        {"at the first screen's right edge: onto the second", QRect(1020, 100, 260, 380),
         QPoint(1288, 100)},
        {"at the second screen's right edge: to the left", QRect(2044, 50, 260, 380),
         QPoint(1316, 50)},
        {"too low for either side: the right-hand place, raised", QRect(100, 600, 260, 380),
         QPoint(368, 160)},
        {"nowhere beside it fits: brought onto the screen", QRect(2044, 700, 260, 60),
         QPoint(1584, 128)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScreenPlacement::beside(c.strip, QSize(720, 640), 8, kTwoMonitors), c.expected)
            << c.what;
    // Without screens, simply to the right.
    EXPECT_EQ(ScreenPlacement::beside(QRect(10, 20, 260, 380), QSize(720, 640), 8, {}),
              QPoint(278, 20));
}

TEST(ScreenPlacement, NoScreensOrEmptyOnesLeaveThePlace)
{
    EXPECT_EQ(onScreen(QRect(-500, 9000, 260, 380), {}), QPoint(-500, 9000));
    EXPECT_EQ(onScreen(QRect(-500, 9000, 260, 380), {QRect()}), QPoint(-500, 9000));
    EXPECT_EQ(onScreen(QRect(-500, 10, 260, 380), {QRect(), QRect(0, 0, 800, 600)}), QPoint(0, 10));
}

} // namespace
