#pragma once

// One engine cache for reads on several threads at once, kept for as long as
// the program polls. A read works on a copy of what is known of its agent,
// lent and given back under a short lock: no lock is held while a read waits
// for its agent, so a silent agent delays no other agent's reads.

#include "SnmpEngineCache.h"

#include <mutex>
#include <optional>
#include <string>

class SharedEngineCache
{
public:
    struct Loan
    {
        std::string agent;
        SnmpEngineCache cache; // what the read uses and changes
        std::optional<SnmpEngineState> before;
    };

    // What is known of the agent at host (port 161) now, to read with.
    Loan lend(const std::string& host);
    // Takes back what the read learnt: new keys always; its view of the
    // engine unless another read learnt something newer meanwhile.
    void giveBack(const Loan& loan);

    // The agent's engine as known now; nothing when it is not known.
    std::optional<SnmpEngineState> engine(const std::string& host) const;

    // Engines and keys held now, for the bounds' tests.
    std::size_t engineCount() const;
    std::size_t keyCount() const;

private:
    // Under the lock: the loan's view of its engine, unless another read's
    // is newer.
    void takeEngine(const Loan& loan, const SnmpEngineState* after);

    mutable std::mutex m_mutex;
    SnmpEngineCache m_cache;
};
