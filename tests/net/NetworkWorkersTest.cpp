#include "NetworkWorkers.h"

#include "SocketErrors.h"
#include "TUDPBlockSocket.h"
#include "WaitCancel.h"

#include "widgets/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>

namespace {

using namespace std::chrono_literals;

// A read from a port nobody sends to: without a cancel it waits the whole
// time-out.
int silentRead(int timeoutMs)
{
    TUDPBlockSocket socket;
    if (socket.Bind("127.0.0.1", "0") != SockErr::Ok)
        return -1;
    socket.ReceivePacket(timeoutMs);
    return socket.LastError();
}

TEST(NetworkWorkers, StopEndsEveryWaitAtOnce)
{
    // The reads would wait ten minutes; the watchdog fails the test long
    // before that if stop() left them waiting.
    Watchdog watchdog("stopping reads that wait ten minutes", std::chrono::seconds(60));
    NetworkWorkers workers(4);
    std::atomic<int> started{0};
    std::promise<int> errors[3];
    for (std::promise<int>& error : errors) {
        ASSERT_TRUE(workers.run([&started, &error] {
            ++started;
            error.set_value(silentRead(600000));
        }));
    }
    while (started < 3)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms); // into their waits
    workers.stop();
    for (std::promise<int>& error : errors)
        EXPECT_EQ(error.get_future().get(), ECANCELED);
    // A stopped pool takes no more work.
    EXPECT_FALSE(workers.run([] {}));
}

TEST(NetworkWorkers, WorkBeyondTheLimitWaitsForAFreeThread)
{
    Watchdog watchdog("three pieces of work on two threads", std::chrono::seconds(60));
    NetworkWorkers workers(2);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> running{0}, deepest{0}, finished{0};
    for (int i = 0; i < 3; ++i) {
        workers.run([&, released] {
            const int now = ++running;
            for (int seen = deepest; now > seen && !deepest.compare_exchange_weak(seen, now);) {
            }
            released.wait();
            --running;
            ++finished;
        });
    }
    while (running < 2)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(workers.threadCount(), 2u);
    release.set_value();
    while (finished < 3)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(deepest, 2);
}

TEST(NetworkWorkers, WorkThatThrowsKeepsItsThread)
{
    NetworkWorkers workers(1);
    std::promise<bool> after;
    workers.run([] { throw std::runtime_error("lost"); });
    workers.run([&after] { after.set_value(true); });
    EXPECT_TRUE(after.get_future().get());
}

TEST(WaitCancel, WaitsOutsideAPoolAreUntouched)
{
    // No token on this thread: a read times out as before, with its own
    // error, and a fired token elsewhere changes nothing.
    WaitCancel other;
    other.fire();
    EXPECT_TRUE(other.fired());
    EXPECT_EQ(WaitCancel::current(), nullptr);
    EXPECT_EQ(silentRead(20), SockErr::TimedOut);

    // The calling thread's own token, once fired, ends its waits at once.
    WaitCancel mine;
    EXPECT_FALSE(mine.fired());
    WaitCancel::setCurrent(&mine);
    mine.fire();
    EXPECT_EQ(silentRead(600000), ECANCELED);
    WaitCancel::setCurrent(nullptr);
}

} // namespace
