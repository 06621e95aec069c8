#pragma once

#include "FakeSensorNetwork.h"

#include <condition_variable>
#include <mutex>
#include <string>

// Answers like FakeSensorNetwork, but holds every read of one host until the
// test lets it go: an agent that is slow to answer, under the test's control.
class HeldSensorNetwork : public FakeSensorNetwork
{
public:
    std::string heldHost;
    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        if (host == heldHost) {
            std::unique_lock<std::mutex> lock(m_holdMutex);
            ++m_heldReads;
            m_release.wait(lock, [this] { return m_released; });
        }
        return FakeSensorNetwork::readValue(oid, community, host, value);
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_released = true;
        m_release.notify_all();
    }
    // Reads of the held host begun so far (answered or not).
    int heldReads()
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        return m_heldReads;
    }
    std::size_t requestsOf(const std::string& host)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t n = 0;
        for (const std::string& r : m_requests)
            n += r.find("@" + host + "/") != std::string::npos;
        return n;
    }

private:
    std::mutex m_holdMutex;
    std::condition_variable m_release;
    bool m_released = false;
    int m_heldReads = 0;
};
