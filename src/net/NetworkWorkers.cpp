#include "NetworkWorkers.h"

NetworkWorkers::NetworkWorkers(std::size_t maxThreads)
    : m_maxThreads(maxThreads > 0 ? maxThreads : 1)
{
}

NetworkWorkers::~NetworkWorkers()
{
    stop();
}

bool NetworkWorkers::run(std::function<void()> work)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        return false;
    m_queue.push_back(std::move(work));
    if (m_idle < m_queue.size() && m_threads.size() < m_maxThreads)
        m_threads.emplace_back([this] { loop(); });
    else
        m_wake.notify_one();
    return true;
}

void NetworkWorkers::stop()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
        threads.swap(m_threads);
    }
    m_cancel.fire();
    m_wake.notify_all();
    for (std::thread& thread : threads) {
        if (thread.joinable())
            thread.join();
    }
}

std::size_t NetworkWorkers::threadCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_threads.size();
}

void NetworkWorkers::loop()
{
    WaitCancel::setCurrent(&m_cancel);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        --m_idle;
        if (m_stopping)
            return;
        std::function<void()> work = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        // Work reports its own failures; one that escapes must not take the
        // thread, and with it the pool's capacity, away.
        try {
            work();
        } catch (...) {
        }
        work = nullptr;
        lock.lock();
    }
}
