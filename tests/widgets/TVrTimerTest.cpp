#include "TVrTimer.h"

#include "ApplicationReport.h"
#include "GuiTestApp.h"
#include "VrErrors.h"
#include "Watchdog.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

TRAVIMETRA_GUI_TEST_APP;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A timer as a form creates it: handler and interval set, then loaded.
std::unique_ptr<TVrTimer> makeTimer(std::uint32_t interval, TVrTimer::TimerEvent handler,
                                    TVrTimerType type = ttThread)
{
    auto timer = std::make_unique<TVrTimer>();
    timer->setTimerType(type);
    timer->setInterval(interval);
    timer->setOnTimer(std::move(handler));
    timer->loaded();
    return timer;
}

class TVrTimerTest : public ::testing::TestWithParam<TVrTimerType>
{
};

TEST_P(TVrTimerTest, TicksOnTheGuiThread)
{
    int ticks = 0;
    bool onGuiThread = true;
    auto timer = makeTimer(
        5,
        [&](TVrTimer* sender) {
            EXPECT_NE(sender, nullptr);
            onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
            ++ticks;
        },
        GetParam());
    EXPECT_TRUE(waitUntil([&] { return ticks >= 3; }));
    EXPECT_TRUE(onGuiThread);
}

TEST_P(TVrTimerTest, DisabledTimerDeliversNothingAndResumesWhenEnabled)
{
    int ticks = 0;
    auto timer = makeTimer(
        5, [&](TVrTimer*) { ++ticks; }, GetParam());
    ASSERT_TRUE(waitUntil([&] { return ticks >= 1; }));
    timer->setEnabled(false);
    spinFor(10); // a tick already handed over is dropped by the dispatch
    const int before = ticks;
    spinFor(60);
    EXPECT_EQ(ticks, before);
    timer->setEnabled(true);
    EXPECT_TRUE(waitUntil([&] { return ticks >= before + 2; }));
}

TEST_P(TVrTimerTest, ZeroIntervalOrNoHandlerNeverStarts)
{
    int ticks = 0;
    auto timer = makeTimer(
        0, [&](TVrTimer*) { ++ticks; }, GetParam());
    EXPECT_FALSE(timer->isTicking());
    auto silent = makeTimer(5, nullptr, GetParam());
    EXPECT_TRUE(silent->isCreated());
    EXPECT_FALSE(silent->isTicking());
    spinFor(50);
    EXPECT_EQ(ticks, 0);
    // Giving the silent one a handler starts it at the next update.
    silent->setOnTimer([&](TVrTimer*) { ++ticks; });
    silent->setInterval(6);
    EXPECT_TRUE(silent->isTicking());
    EXPECT_TRUE(waitUntil([&] { return ticks >= 1; }));
}

TEST_P(TVrTimerTest, AnExceptionIsReportedAndTheTimerKeepsRunning)
{
    std::vector<QString> reports;
    auto previous =
        ApplicationReport::setReportFunction([&](const QString& text) { reports.push_back(text); });
    int ticks = 0;
    auto timer = makeTimer(
        5,
        [&](TVrTimer*) {
            if (++ticks == 1)
                throw std::runtime_error("Host did not reply");
        },
        GetParam());
    EXPECT_TRUE(waitUntil([&] { return ticks >= 3; }));
    timer.reset();
    ApplicationReport::setReportFunction(previous);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "Host did not reply");
}

// A handler that opens a nested event loop (a message box, a settle) sees no
// tick of its own timer inside it: the timer never overlaps itself, and the
// ticks it would have given meanwhile are dropped, not queued up.
TEST_P(TVrTimerTest, ItsOwnTicksNeverRunInsideTheHandlersNestedLoop)
{
    int running = 0;
    int overlaps = 0;
    int ticks = 0;
    auto timer = makeTimer(
        2,
        [&](TVrTimer*) {
            overlaps += running;
            ++running;
            if (++ticks == 1) {
                QEventLoop loop;
                QTimer::singleShot(60, &loop, &QEventLoop::quit);
                loop.exec();
            }
            --running;
        },
        GetParam());
    ASSERT_TRUE(waitUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(overlaps, 0);
}

// Disabled, a timer delivers nothing; a Qt timer is not even left running
// (it would wake the GUI thread for nothing), a worker keeps its rhythm.
TEST_P(TVrTimerTest, DisablingStopsAQtTimerAndKeepsAWorker)
{
    int ticks = 0;
    auto timer = makeTimer(
        5, [&](TVrTimer*) { ++ticks; }, GetParam());
    ASSERT_TRUE(timer->isTicking());
    timer->setEnabled(false);
    EXPECT_EQ(timer->isTicking(), GetParam() == ttThread);
    timer->setEnabled(true);
    EXPECT_TRUE(timer->isTicking());
    EXPECT_TRUE(waitUntil([&] { return ticks >= 2; }));
}

INSTANTIATE_TEST_SUITE_P(BothKinds, TVrTimerTest, ::testing::Values(ttThread, ttSystem));

TEST(TVrTimer, RefusedSystemTimerRaisesOutOfResources)
{
    // A thread without an event loop gets no Qt timers.
    QString message;
    std::thread([&] {
        TVrTimer timer;
        timer.setTimerType(ttSystem);
        timer.setOnTimer([](TVrTimer*) {});
        try {
            timer.setInterval(5);
        } catch (const EOutOfResources& e) {
            message = QString::fromLatin1(e.what());
        }
        EXPECT_FALSE(timer.isTicking());
    }).join();
    EXPECT_EQ(message, "No timer resources left.");
}

TEST(TVrTimer, SlowHandlerTicksNeverOverlapOrQueueUp)
{
    std::vector<Clock::time_point> starts;
    int running = 0;
    bool overlapped = false;
    auto timer = makeTimer(20, [&](TVrTimer*) {
        overlapped = overlapped || running != 0;
        ++running;
        starts.push_back(Clock::now());
        std::this_thread::sleep_for(50ms);
        --running;
    });
    ASSERT_TRUE(waitUntil([&] { return starts.size() >= 4; }));
    timer.reset();
    EXPECT_FALSE(overlapped);
    // The next wait starts only after the handler: 50 ms + 20 ms at least.
    for (std::size_t i = 1; i < starts.size(); ++i)
        EXPECT_GE(starts[i] - starts[i - 1], 69ms) << "tick " << i;
}

TEST(TVrTimer, WithoutSyncEventTheHandlerRunsOnTheWorker)
{
    std::atomic<int> ticks{0};
    std::atomic<bool> onGuiThread{false};
    QThread* gui = qApp->thread();
    auto timer = std::make_unique<TVrTimer>();
    timer->setSyncEvent(false);
    timer->setInterval(5);
    timer->setOnTimer([&](TVrTimer*) {
        if (QThread::currentThread() == gui)
            onGuiThread = true;
        ++ticks;
    });
    timer->loaded();
    // No event processing needed: the worker runs the handler itself.
    const auto deadline = Clock::now() + 5s;
    while (ticks < 3 && Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    timer.reset();
    EXPECT_GE(ticks.load(), 3);
    EXPECT_FALSE(onGuiThread.load());
}

TEST(TVrTimer, ChangingTheKindKeepsTicking)
{
    int ticks = 0;
    auto timer = makeTimer(5, [&](TVrTimer*) { ++ticks; });
    ASSERT_TRUE(waitUntil([&] { return ticks >= 1; }));
    timer->setTimerType(ttSystem);
    EXPECT_TRUE(timer->isTicking());
    const int before = ticks;
    EXPECT_TRUE(waitUntil([&] { return ticks >= before + 2; }));
    timer->setTimerType(ttThread);
    timer->setPriority(tpLower);
    const int later = ticks;
    EXPECT_TRUE(waitUntil([&] { return ticks >= later + 2; }));
}

// The worker hands a tick to the GUI thread and waits for it; destroying the
// timer meanwhile must neither block nor let the stale tick run.
TEST(TVrTimer, DestroyingWhileATickWaitsForTheGuiNeverDeadlocks)
{
    Watchdog watchdog("destroying timers with ticks in flight", 60s);
    std::atomic<int> afterDestruction{0};
    for (int round = 0; round < 200; ++round) {
        auto destroyed = std::make_shared<bool>(false);
        auto timer = makeTimer(1, [destroyed, &afterDestruction](TVrTimer*) {
            if (*destroyed)
                ++afterDestruction;
        });
        // Keep the GUI thread busy so the hand-over is queued, not run.
        std::this_thread::sleep_for(std::chrono::microseconds(500 + (round % 5) * 500));
        if (round % 3 == 0)
            QCoreApplication::processEvents();
        timer.reset();
        *destroyed = true;
    }
    spinFor(20); // the queued hand-overs of destroyed timers arrive now
    EXPECT_EQ(afterDestruction.load(), 0);
}

TEST(TVrTimer, HandlerMayDestroyItsOwnTimer)
{
    Watchdog watchdog("timers destroying themselves", 60s);
    for (int round = 0; round < 50; ++round) {
        auto timer = std::make_unique<TVrTimer>();
        int ticks = 0;
        timer->setInterval(1);
        timer->setOnTimer([&](TVrTimer*) {
            ++ticks;
            timer.reset();
        });
        timer->loaded();
        ASSERT_TRUE(waitUntil([&] { return !timer; }));
        EXPECT_EQ(ticks, 1);
    }
}

TEST(TVrTimer, DestroyedFromANestedEventLoopInsideItsOwnTick)
{
    Watchdog watchdog("a timer destroyed inside its own nested event loop", 60s);
    for (int round = 0; round < 20; ++round) {
        auto timer = std::make_unique<TVrTimer>();
        int ticks = 0;
        bool destroyedInside = false;
        timer->setInterval(1);
        timer->setOnTimer([&](TVrTimer*) {
            ++ticks;
            // Like a message box opened by a handler: a nested loop in which
            // something else destroys the timer.
            QEventLoop loop;
            QTimer::singleShot(2, [&] {
                timer.reset();
                destroyedInside = true;
                loop.quit();
            });
            loop.exec();
        });
        timer->loaded();
        ASSERT_TRUE(waitUntil([&] { return destroyedInside; }));
        spinFor(5);
        EXPECT_EQ(ticks, 1);
    }
}

TEST(TVrTimer, AnotherTimersTickMayRunInsideAModalLoop)
{
    int fastTicks = 0;
    int slowTicks = 0;
    int fastDuringSlow = 0;
    auto fast = makeTimer(2, [&](TVrTimer*) { ++fastTicks; });
    auto slow = makeTimer(5, [&](TVrTimer* sender) {
        ++slowTicks;
        const int before = fastTicks;
        // Stay in the nested loop until the other timer has ticked inside it
        // (bounded, so a broken hand-over fails instead of hanging): under
        // load its worker may need far more than one period to be scheduled.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (fastTicks > before)
                loop.quit();
        });
        check.start(1);
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        fastDuringSlow += fastTicks - before;
        sender->setEnabled(false);
    });
    EXPECT_TRUE(waitUntil([&] { return slowTicks >= 1 && fastDuringSlow > 0; }));
    EXPECT_EQ(slowTicks, 1);
}

} // namespace
