#pragma once

#include "ISnmpReader.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Passes every call on to a real network and records what each read cost, and
// how many calls ran at once at most (reads of one sensor never overlap each
// other; sensors of a pass are read at the same time). Calls come from the
// network threads, so the records are kept under a lock.
class RecordingNetwork : public ISnmpReader
{
public:
    struct Read
    {
        std::string oid;
        bool ok = false;
        double milliseconds = 0;
    };

    explicit RecordingNetwork(std::shared_ptr<ISnmpReader> inner) : m_inner(std::move(inner)) {}

    // One record per request; the poll of SNMPv1 asks one OID a request.
    TReadReply read(const TReadRequest& request) override
    {
        Enter enter(*this);
        const auto start = std::chrono::steady_clock::now();
        TReadReply reply = m_inner->read(request);
        const std::chrono::duration<double, std::milli> spent =
            std::chrono::steady_clock::now() - start;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reads.push_back({request.oids.empty() ? std::string() : request.oids[0], reply.answered,
                           spent.count()});
        return reply;
    }
    int pingRoundTrip(const std::string& host) override
    {
        Enter enter(*this);
        const int roundTrip = m_inner->pingRoundTrip(host);
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_pings;
        m_failedPings += roundTrip == -1;
        return roundTrip;
    }
    uint32_t tickCount() override { return m_inner->tickCount(); }

    std::vector<Read> reads() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reads;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reads.clear();
    }
    int deepestNesting() const { return m_deepest; }
    long pings() const { return m_pings; }
    long failedPings() const { return m_failedPings; }

private:
    struct Enter
    {
        explicit Enter(RecordingNetwork& n) : net(n)
        {
            const int depth = ++net.m_depth;
            int deepest = net.m_deepest;
            while (depth > deepest && !net.m_deepest.compare_exchange_weak(deepest, depth)) {
            }
        }
        ~Enter() { --net.m_depth; }
        RecordingNetwork& net;
    };

    std::shared_ptr<ISnmpReader> m_inner;
    mutable std::mutex m_mutex;
    std::vector<Read> m_reads;
    long m_pings = 0;
    long m_failedPings = 0;
    std::atomic<int> m_depth{0};
    std::atomic<int> m_deepest{0};
};
