#pragma once

#include "ISensorNetwork.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Passes every call on to a real network and records what each read cost, and
// whether any call began while another was still running (a pass overlapping
// another would show as a nested call).
class RecordingNetwork : public ISensorNetwork
{
public:
    struct Read
    {
        std::string oid;
        bool ok = false;
        double milliseconds = 0;
    };

    explicit RecordingNetwork(std::shared_ptr<ISensorNetwork> inner) : m_inner(std::move(inner)) {}

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override
    {
        Enter enter(*this);
        const auto start = std::chrono::steady_clock::now();
        const bool ok = m_inner->readValue(oid, community, host, value);
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - start;
        m_reads.push_back({oid, ok, spent.count()});
        return ok;
    }
    int pingRoundTrip(const std::string& host) override
    {
        Enter enter(*this);
        const int roundTrip = m_inner->pingRoundTrip(host);
        ++m_pings;
        m_failedPings += roundTrip == -1;
        return roundTrip;
    }
    uint32_t tickCount() override { return m_inner->tickCount(); }

    const std::vector<Read>& reads() const { return m_reads; }
    void clear() { m_reads.clear(); }
    int deepestNesting() const { return m_deepest; }
    long pings() const { return m_pings; }
    long failedPings() const { return m_failedPings; }

private:
    struct Enter
    {
        explicit Enter(RecordingNetwork& n) : net(n)
        {
            if (++net.m_depth > net.m_deepest)
                net.m_deepest = net.m_depth;
        }
        ~Enter() { --net.m_depth; }
        RecordingNetwork& net;
    };

    std::shared_ptr<ISensorNetwork> m_inner;
    std::vector<Read> m_reads;
    long m_pings = 0;
    long m_failedPings = 0;
    int m_depth = 0;
    int m_deepest = 0;
};
