#pragma once

#include "PollEngine.h"

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Runs each piece of work of a PollEngine on a thread of its own; joins them
// all at the end.
class ThreadRunner
{
public:
    ~ThreadRunner()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (std::thread& t : m_threads)
            t.join();
    }
    PollEngine::Runner runner()
    {
        return [this](std::function<void()> work) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_threads.emplace_back(std::move(work));
            return true;
        };
    }

private:
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
};
