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

// A graph that is a window of its own, and another program's window over it.
class GraphWindowOnX : public OnXServer
{
protected:
    void SetUp() override
    {
        OnXServer::SetUp();
        if (IsSkipped())
            return;
        scope = std::make_unique<TVrScope>();
        scope->setGeometry(40, 40, 120, 60);
        scope->channels().add();
        ASSERT_TRUE(showAndWait(*scope));
        other = std::make_unique<OtherClient>(s_display);
        ASSERT_TRUE(other->connected());
    }

    std::unique_ptr<TVrScope> scope;
    std::unique_ptr<OtherClient> other;
};

TEST_F(GraphWindowOnX, AGraphThatIsAWindowOfItsOwnIsDrawnWhenUncovered)
{
    other->mapWindow(0, 0, 320, 240);
    ASSERT_TRUE(waitUntil([&] { return WindowCover::covered(scope.get()); }));
    const int drawn = scope->paintCount();
    scope->pushValue(0, 10);
    EXPECT_EQ(scope->paintCount(), drawn);
    other->unmapWindow();
    ASSERT_TRUE(waitUntil([&] { return !scope->redrawPending(); }));
    EXPECT_EQ(scope->paintCount(), drawn + 1);
}

TEST_F(GraphWindowOnX, APartlyCoveredGraphIsStillDrawn)
{
    other->mapWindow(0, 0, 100, 240); // leaves the right part of the graph in view
    spinFor(200);
    const int drawn = scope->paintCount();
    scope->pushValue(0, 70);
    EXPECT_FALSE(WindowCover::covered(scope.get()));
    EXPECT_GT(scope->paintCount(), drawn);
}

} // namespace
