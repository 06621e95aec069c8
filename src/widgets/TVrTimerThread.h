#pragma once

#include "ThreadPriority.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The worker of a threaded timer. It only waits for its interval and then
// runs the tick: handed over to the GUI thread (blocking until the handler
// has returned) or, without synchronisation, on the worker itself.
//
// Created paused. The GUI thread pauses it, changes the interval and the
// priority, and resumes it; pausing never interrupts a wait or a hand-over
// in progress, so the worker never stops while holding something the GUI
// thread waits for. Destruction never blocks on a hand-over: one still queued
// is cancelled, and one whose handler is running further down the GUI
// thread's own stack lets the worker finish on its own.
class TVrTimerThread
{
public:
    using Dispatch = std::function<void()>;

    // dispatch runs one tick; it must not throw.
    explicit TVrTimerThread(Dispatch dispatch);
    ~TVrTimerThread();

    TVrTimerThread(const TVrTimerThread&) = delete;
    TVrTimerThread& operator=(const TVrTimerThread&) = delete;

    void pause();
    void resume();
    bool isPaused() const;

    // Takes effect from the next wait.
    void setInterval(std::uint32_t milliseconds);
    std::uint32_t interval() const;
    void setPriority(TThreadPriority priority);
    void setSyncEvent(bool sync);

    // Ends the current wait early without a tick (the auto-reset event).
    void signal();

private:
    struct State;
    static void run(std::shared_ptr<State> state);
    static void handOver(const std::shared_ptr<State>& state, std::unique_lock<std::mutex>& lock);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
