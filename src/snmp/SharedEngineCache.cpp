#include "SharedEngineCache.h"

#include <tuple>

namespace {

bool same(const SnmpEngineState& a, const SnmpEngineState& b)
{
    return a.EngineID == b.EngineID && a.Boots == b.Boots && a.Time == b.Time &&
           a.LatestReceivedTime == b.LatestReceivedTime && a.Stamp == b.Stamp &&
           a.Synchronised == b.Synchronised;
}

bool same(const SnmpEngineState* a, const std::optional<SnmpEngineState>& b)
{
    return a ? b && same(*a, *b) : !b;
}

// Of two views of one engine, the one that has seen more of it: confirmed by
// an authenticated message, then later boots, then a later time.
bool newer(const SnmpEngineState& a, const SnmpEngineState& b)
{
    return std::make_tuple(a.Synchronised, a.Boots, a.LatestReceivedTime) >
           std::make_tuple(b.Synchronised, b.Boots, b.LatestReceivedTime);
}

} // namespace

SharedEngineCache::Loan SharedEngineCache::lend(const std::string& host)
{
    Loan loan;
    loan.agent = snmpAgentKey(host);
    std::lock_guard<std::mutex> lock(m_mutex);
    loan.cache = m_cache.extract(loan.agent);
    if (const SnmpEngineState* state = loan.cache.find(loan.agent))
        loan.before = *state;
    return loan;
}

void SharedEngineCache::giveBack(const Loan& loan)
{
    const SnmpEngineState* after = loan.cache.find(loan.agent);
    std::lock_guard<std::mutex> lock(m_mutex);
    takeEngine(loan, after);
    // After the engine: only keys of engine ids still held are taken.
    m_cache.addKeys(loan.cache);
}

void SharedEngineCache::takeEngine(const Loan& loan, const SnmpEngineState* after)
{
    if (same(after, loan.before))
        return; // this read learnt nothing new of the engine
    const SnmpEngineState* current = m_cache.find(loan.agent);
    if (!same(current, loan.before)) {
        // Another read changed the engine meanwhile: keep what is newer. A
        // read that lost the engine leaves the other's view; views of two
        // engine ids go by which read ended last.
        if (!after)
            return;
        if (current && current->EngineID == after->EngineID && !newer(*after, *current))
            return;
    }
    if (after)
        m_cache.put(loan.agent, *after);
    else
        m_cache.forget(loan.agent);
}

std::optional<SnmpEngineState> SharedEngineCache::engine(const std::string& host) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const SnmpEngineState* state = m_cache.find(snmpAgentKey(host)))
        return *state;
    return std::nullopt;
}

std::size_t SharedEngineCache::engineCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cache.engineCount();
}

std::size_t SharedEngineCache::keyCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cache.keyCount();
}
