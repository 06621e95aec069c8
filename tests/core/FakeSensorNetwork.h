#pragma once

#include "ISensorNetwork.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// Answers each OID from a queue of scripted replies (the last one repeats);
// an OID without a script is not answered. Records every request. Polls read
// on network threads, so every call takes the lock; a test looks at the
// records once the pass is back.
class FakeSensorNetwork : public ISensorNetwork
{
public:
    struct Reply
    {
        bool ok = true;
        std::string value;
    };

    void script(const std::string& oid, std::vector<Reply> replies)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_replies[oid] = std::deque<Reply>(replies.begin(), replies.end());
    }
    void answer(const std::string& oid, const std::string& value) { script(oid, {{true, value}}); }

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(oid + "@" + host + "/" + community);
        value.clear();
        auto it = m_replies.find(oid);
        if (it == m_replies.end() || it->second.empty())
            return false;
        const Reply reply = it->second.front();
        if (it->second.size() > 1)
            it->second.pop_front();
        if (reply.ok)
            value = reply.value;
        return reply.ok;
    }

    int pingRoundTrip(const std::string& host) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pings.push_back(host);
        return m_pingResult;
    }

    uint32_t tickCount() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const uint32_t now = m_ticks;
        m_ticks += m_tickStep;
        return now;
    }

    std::mutex m_mutex;
    std::map<std::string, std::deque<Reply>> m_replies;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_pings;
    int m_pingResult = 1;
    uint32_t m_ticks = 0;
    uint32_t m_tickStep = 0;
};
