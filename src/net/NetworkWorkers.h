#pragma once

#include "WaitCancel.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A small pool of threads for work that waits on the network. Threads are
// started as work arrives, up to a limit, so that one silent peer holds up
// only the work that asked it. stop() ends every network wait of the pool at
// once (through a WaitCancel all its threads watch), drops work not begun and
// joins the threads: a program that is going away never sits out a time-out.
class NetworkWorkers
{
public:
    explicit NetworkWorkers(std::size_t maxThreads);
    ~NetworkWorkers();
    NetworkWorkers(const NetworkWorkers&) = delete;
    NetworkWorkers& operator=(const NetworkWorkers&) = delete;

    // Queues `work`; false, and nothing queued, once the pool was stopped.
    bool run(std::function<void()> work);
    void stop();
    std::size_t threadCount() const;

private:
    void loop();

    const std::size_t m_maxThreads;
    WaitCancel m_cancel;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    std::vector<std::thread> m_threads;
    std::size_t m_idle = 0;
    bool m_stopping = false;
};
