#include "TSimpleTimer.h"

#include "GuiTestApp.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(TSimpleTimer, TicksUntilStopped)
{
    int ticks = 0;
    TSimpleTimer timer(5, [&](TSimpleTimer*) { ++ticks; });
    EXPECT_FALSE(timer.enabled());
    EXPECT_TRUE(timer.start());
    EXPECT_TRUE(timer.enabled());
    EXPECT_TRUE(waitUntil([&] { return ticks >= 2; }));
    EXPECT_TRUE(timer.stop());
    EXPECT_FALSE(timer.enabled());
    EXPECT_FALSE(timer.stop()); // nothing left to remove
    const int stopped = ticks;
    spinFor(30);
    EXPECT_EQ(ticks, stopped);
}

TEST(TSimpleTimer, AutoDisableTicksOnce)
{
    int ticks = 0;
    TSimpleTimer timer(2, [&](TSimpleTimer* sender) {
        EXPECT_FALSE(sender->enabled());
        ++ticks;
    });
    timer.setAutoDisable(true);
    timer.setEnabled(true);
    ASSERT_TRUE(waitUntil([&] { return ticks >= 1; }));
    spinFor(30);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer.enabled());
}

TEST(TSimpleTimer, ZeroIntervalRefusesToStart)
{
    TSimpleTimer timer(0, [](TSimpleTimer*) {});
    EXPECT_FALSE(timer.start());
    EXPECT_FALSE(timer.enabled());
    EXPECT_EQ(TSimpleTimer::activeCount(), 0);
}

TEST(TSimpleTimer, ZeroIntervalOrNoHandlerPausesButStaysEnabled)
{
    int ticks = 0;
    TSimpleTimer timer(3, [&](TSimpleTimer*) { ++ticks; });
    timer.start();
    timer.setInterval(0);
    EXPECT_TRUE(timer.enabled());
    spinFor(30);
    EXPECT_EQ(ticks, 0);
    timer.setInterval(3); // a running timer restarts with the new period
    EXPECT_TRUE(waitUntil([&] { return ticks >= 1; }));
    timer.setOnTimer(nullptr);
    EXPECT_TRUE(timer.enabled());
    EXPECT_EQ(TSimpleTimer::activeCount(), 0);
}

TEST(TSimpleTimer, SharedHandlerLivesWithItsTimers)
{
    EXPECT_EQ(TSimpleTimer::liveCount(), 0);
    {
        TSimpleTimer a;
        auto b = std::make_unique<TSimpleTimer>(1000, nullptr);
        EXPECT_EQ(TSimpleTimer::liveCount(), 2);
        EXPECT_NE(a.id(), b->id());
        EXPECT_EQ(a.interval(), 1000);
        a.setOnTimer([](TSimpleTimer*) {});
        a.start();
        b->start();
        EXPECT_EQ(TSimpleTimer::activeCount(), 2);
        b.reset(); // destruction stops a running timer
        EXPECT_EQ(TSimpleTimer::activeCount(), 1);
        EXPECT_EQ(TSimpleTimer::liveCount(), 1);
    }
    EXPECT_EQ(TSimpleTimer::liveCount(), 0);
    EXPECT_EQ(TSimpleTimer::activeCount(), 0);
}

TEST(TSimpleTimer, HandlerMayDestroyItsTimer)
{
    auto timer = std::make_unique<TSimpleTimer>();
    int ticks = 0;
    timer->setInterval(2);
    timer->setOnTimer([&](TSimpleTimer*) {
        ++ticks;
        timer.reset();
    });
    timer->start();
    ASSERT_TRUE(waitUntil([&] { return !timer; }));
    spinFor(20);
    EXPECT_EQ(ticks, 1);
}

} // namespace
