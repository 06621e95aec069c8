#pragma once

#include "BerTag.h"
#include "ScriptedAgent.h"
#include "TSNMPRec.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>

// A scripted agent that answers a get for each OID it has a value for,
// echoing the request id; other OIDs get no answer. Counts what was asked.
class CounterAgent
{
public:
    static constexpr const char* kUpTime = "1.3.6.1.2.1.1.3.0";

    explicit CounterAgent(const char* address) : m_agent(address) {}

    bool start()
    {
        return m_agent.start([this](const ScriptedAgent::Request& request) {
            std::vector<ScriptedAgent::Datagram> replies;
            TSNMPRec decoded;
            if (!decoded.Decode(request.bytes) || decoded.VarBindCount() == 0)
                return replies;
            const std::string oid = decoded.VarBind(0).Oid;
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_asked[oid];
            const auto it = m_values.find(oid);
            if (it == m_values.end())
                return replies;
            replies.push_back({AgentReply::response(AgentReply::requestId(request.bytes),
                                                    {{oid, it->second.first, it->second.second}}),
                               false, 0});
            return replies;
        });
    }

    void set(const std::string& oid, int tag, const std::string& content)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values[oid] = {tag, content};
    }
    // In and out octets of interface `index`.
    void setCounters(uint32_t in, uint32_t out, const std::string& index = "1")
    {
        set("1.3.6.1.2.1.2.2.1.10." + index, BerTag::Counter32, AgentReply::unsigned32(in));
        set("1.3.6.1.2.1.2.2.1.16." + index, BerTag::Counter32, AgentReply::unsigned32(out));
    }
    // Uptime in hundredths of a second.
    void setUpTime(uint32_t upTime)
    {
        set(kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(upTime));
    }
    int asked(const std::string& oid)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_asked[oid];
    }
    const std::string& error() const { return m_agent.error(); }

private:
    ScriptedAgent m_agent;
    std::mutex m_mutex;
    std::map<std::string, std::pair<int, std::string>> m_values;
    std::map<std::string, int> m_asked;
};
