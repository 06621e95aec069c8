// A graph in a window that other windows cover wholly is not drawn, and is
// drawn at once when the window can be seen again; on a real X server.
#include "WindowCover.h"
#include "TVrScope.h"
#include "XServerFixture.h"

namespace {

using WindowCoverOnX = OnXServer;

TEST_F(WindowCoverOnX, ACoveredGraphWaitsAndIsDrawnWhenUncovered)
{
    QWidget window; // the graph inside a window, as in the program
    window.setGeometry(30, 30, 160, 100);
    TVrScope scope(&window);
    scope.setGeometry(10, 10, 120, 60);
    scope.channels().add();
    ASSERT_TRUE(showAndWait(window));
    spinFor(100);
    EXPECT_FALSE(WindowCover::covered(&window));
    int drawn = scope.paintCount();
    scope.pushValue(0, 50);
    EXPECT_GT(scope.paintCount(), drawn);

    OtherClient other(s_display);
    ASSERT_TRUE(other.connected());
    other.mapWindow(0, 0, 320, 240); // above everything: no window manager here
    ASSERT_TRUE(waitUntil([&] { return WindowCover::covered(&window); }));
    drawn = scope.paintCount();
    for (int value : {10, 20, 30})
        scope.pushValue(0, value);
    EXPECT_EQ(scope.paintCount(), drawn);
    EXPECT_TRUE(scope.redrawPending());
    EXPECT_FALSE(scope.onScreen());

    other.unmapWindow();
    ASSERT_TRUE(waitUntil([&] { return !scope.redrawPending(); }));
    EXPECT_FALSE(WindowCover::covered(&window));
    EXPECT_GT(scope.paintCount(), drawn);
    EXPECT_EQ(scope.channels().items(0).sampleCount(), 4);
}

TEST_F(WindowCoverOnX, AGraphThatIsAWindowOfItsOwnIsDrawnWhenUncovered)
{
    TVrScope scope;
    scope.setGeometry(40, 40, 120, 60);
    scope.channels().add();
    ASSERT_TRUE(showAndWait(scope));
    OtherClient other(s_display);
    ASSERT_TRUE(other.connected());
    other.mapWindow(0, 0, 320, 240);
    ASSERT_TRUE(waitUntil([&] { return WindowCover::covered(&scope); }));
    const int drawn = scope.paintCount();
    scope.pushValue(0, 10);
    EXPECT_EQ(scope.paintCount(), drawn);
    other.unmapWindow();
    ASSERT_TRUE(waitUntil([&] { return !scope.redrawPending(); }));
    EXPECT_EQ(scope.paintCount(), drawn + 1);
}

TEST_F(WindowCoverOnX, APartlyCoveredGraphIsStillDrawn)
{
    TVrScope scope;
    scope.setGeometry(40, 40, 120, 60);
    scope.channels().add();
    ASSERT_TRUE(showAndWait(scope));
    OtherClient other(s_display);
    ASSERT_TRUE(other.connected());
    other.mapWindow(0, 0, 100, 240); // leaves the right part of the graph in view
    spinFor(200);
    const int drawn = scope.paintCount();
    scope.pushValue(0, 70);
    EXPECT_FALSE(WindowCover::covered(&scope));
    EXPECT_GT(scope.paintCount(), drawn);
}

} // namespace
