#include "TVrTimerThread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
enum class HandOver
{
    None,
    Pending,
    Running,
    Done,
    Cancelled
};

bool applicationAcceptsTicks()
{
    return QCoreApplication::instance() != nullptr && !QCoreApplication::closingDown();
}
} // namespace

struct TVrTimerThread::State
{
    std::mutex mutex;
    std::condition_variable wake;
    bool paused = true;
    bool terminated = false;
    bool event = false;
    bool syncEvent = true;
    std::uint32_t interval = 1000;
    TThreadPriority priority = tpNormal;
    TThreadPriority appliedPriority = tpNormal;
    HandOver handOver = HandOver::None;
    std::uint64_t ticket = 0;
    Dispatch dispatch;
};

TVrTimerThread::TVrTimerThread(Dispatch dispatch) : m_state(std::make_shared<State>())
{
    m_state->dispatch = std::move(dispatch);
}

TVrTimerThread::~TVrTimerThread()
{
    bool handlerRunning = false;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->terminated = true;
        m_state->paused = false;
        m_state->event = true;
        if (m_state->handOver == HandOver::Pending)
            m_state->handOver = HandOver::Cancelled;
        handlerRunning = m_state->handOver == HandOver::Running;
        m_state->wake.notify_all();
    }
    if (!m_thread.joinable())
        return;
    // A running hand-over means this destructor was called from inside that
    // very tick (directly or from a nested event loop): the worker waits for
    // the handler below us on this stack, so joining would never return. It
    // sees the termination once the handler is done and ends by itself.
    if (handlerRunning)
        m_thread.detach();
    else
        m_thread.join();
}

void TVrTimerThread::pause()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->paused = true;
}

void TVrTimerThread::resume()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->paused = false;
    if (!m_thread.joinable())
        m_thread = std::thread(&TVrTimerThread::run, m_state);
    m_state->wake.notify_all();
}

bool TVrTimerThread::isPaused() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->paused;
}

void TVrTimerThread::setInterval(std::uint32_t milliseconds)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->interval = milliseconds;
}

std::uint32_t TVrTimerThread::interval() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->interval;
}

void TVrTimerThread::setPriority(TThreadPriority priority)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->priority = priority;
}

void TVrTimerThread::setSyncEvent(bool sync)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->syncEvent = sync;
}

void TVrTimerThread::signal()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->event = true;
    m_state->wake.notify_all();
}

void TVrTimerThread::run(std::shared_ptr<State> state)
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> lock(state->mutex);
    while (!state->terminated) {
        state->wake.wait(lock, [&] { return !state->paused || state->terminated; });
        if (state->terminated)
            break;
        if (state->priority != state->appliedPriority) {
            applyCurrentThreadPriority(state->priority);
            state->appliedPriority = state->priority;
        }
        // A pause during the wait does not move its end: on resuming after
        // the deadline the tick comes at once.
        const auto deadline = Clock::now() + std::chrono::milliseconds(state->interval);
        bool signalled = false;
        for (;;) {
            if (state->terminated)
                break;
            if (state->event) {
                state->event = false;
                signalled = true;
                break;
            }
            if (!state->paused && Clock::now() >= deadline)
                break;
            if (state->paused)
                state->wake.wait(lock);
            else
                state->wake.wait_until(lock, deadline);
        }
        if (state->terminated)
            break;
        if (signalled || !applicationAcceptsTicks())
            continue;
        if (state->syncEvent) {
            handOver(state, lock);
        } else {
            lock.unlock();
            state->dispatch();
            lock.lock();
        }
    }
}

void TVrTimerThread::handOver(const std::shared_ptr<State>& state,
                              std::unique_lock<std::mutex>& lock)
{
    const std::uint64_t ticket = ++state->ticket;
    state->handOver = HandOver::Pending;
    auto call = [state, ticket] {
        {
            std::lock_guard<std::mutex> guard(state->mutex);
            if (state->ticket != ticket || state->handOver != HandOver::Pending)
                return;
            state->handOver = HandOver::Running;
        }
        // Other ticks may already wait in the queue behind this one. A
        // handler that opens a modal loop would leave them there until it
        // returns, because the event dispatcher sees no new post; a wake-up
        // makes the nested loop deliver them.
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->wakeUp();
        // The dispatch function is never replaced after construction, so it
        // is safe to call without the lock, even if the timer is destroyed
        // from inside its own handler.
        state->dispatch();
        std::lock_guard<std::mutex> guard(state->mutex);
        if (state->ticket == ticket)
            state->handOver = HandOver::Done;
        state->wake.notify_all();
    };
    const bool posted =
        QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::QueuedConnection);
    if (!posted) {
        state->handOver = HandOver::None;
        return;
    }
    state->wake.wait(lock, [&] {
        return state->handOver == HandOver::Done || state->handOver == HandOver::Cancelled;
    });
    state->handOver = HandOver::None;
}
