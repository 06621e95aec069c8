#pragma once

// What a manager must remember of each agent's SNMP engine between requests:
// its engine id, its boots and time (kept moving with our own clock), and the
// keys localised to it. The caller keeps one cache for as long as it polls, so
// only the first request to an agent pays for discovery and key derivation.

#include "UsmProtocols.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>

struct SnmpEngineState
{
    using Clock = std::chrono::steady_clock;

    std::string EngineID;
    std::uint32_t Boots = 0;
    std::uint32_t Time = 0;               // engine time at Stamp
    std::uint32_t LatestReceivedTime = 0; // highest time of an authenticated message
    Clock::time_point Stamp{};
    // Boots and time came from an authenticated message (not just discovery).
    bool Synchronised = false;

    // The agent's engine time now, by our clock since Stamp.
    std::uint32_t estimatedTime(Clock::time_point now) const;

    // The time-window rule for an authenticated message from this engine
    // (RFC 3414 3.2 step 7b): newer boots or time move our notion forward;
    // false when the message is outside the 150-second window (older boots, a
    // time more than 150 s behind what was seen, or boots at their limit).
    // rebooted is set when the message shows the agent restarted.
    bool acceptAuthenticated(std::uint32_t boots, std::uint32_t time, Clock::time_point now,
                             bool& rebooted);
};

// The name an agent's engine is kept under in a cache: its host and port.
std::string snmpAgentKey(const std::string& host, const std::string& port = "161");

// Bounded whatever the agents do: one engine per agent address (a new engine
// id replaces the old one), localised keys only for engine ids some address
// still has, and at most kMaxKeysPerEngine of them per engine id. An agent
// that shows a new engine id at every request so costs one engine and its
// keys, not a key per id it ever showed.
class SnmpEngineCache
{
public:
    // Users (protocol and password pairs) whose keys are kept per engine id;
    // the least recently used goes first.
    static constexpr std::size_t kMaxKeysPerEngine = 8;
    // Passwords whose stretched key is kept, so that a new engine id costs a
    // localisation (one hash), not the megabyte of hashing of the stretch.
    static constexpr std::size_t kMaxStretchedKeys = 16;

    // Null while the agent's engine is not known.
    SnmpEngineState* find(const std::string& agent);
    const SnmpEngineState* find(const std::string& agent) const;
    // Records what discovery (or an unknownEngineID report) said of the agent;
    // boots and time are a first guess until an authenticated message comes.
    SnmpEngineState& learn(const std::string& agent, const std::string& engineId,
                           std::uint32_t boots, std::uint32_t time,
                           SnmpEngineState::Clock::time_point now);
    void forget(const std::string& agent);
    // Keeps state as the agent's engine, as it is.
    void put(const std::string& agent, const SnmpEngineState& state);

    // A cache of its own with what this one knows of agent: its engine, the
    // keys localised to that engine and the stretched keys.
    SnmpEngineCache extract(const std::string& agent) const;
    // Takes the keys of other that this cache lacks, for the engine ids this
    // cache holds.
    void addKeys(const SnmpEngineCache& other);

    // The key of password localised to engineId, derived once and then kept.
    // Empty when there is no key to derive (empty password, no protocol).
    std::string localizedKey(AuthProtocol protocol, const std::string& password,
                             const std::string& engineId);

    std::size_t engineCount() const { return m_engines.size(); }
    std::size_t keyCount() const { return m_keys.size() + m_stretched.size(); }

private:
    // Keyed by a digest of the password, not the password itself.
    using KeyName = std::tuple<AuthProtocol, std::string, std::string>;
    using PasswordName = std::pair<AuthProtocol, std::string>;
    struct KeptKey
    {
        std::string Key;
        std::uint64_t LastUse = 0;
    };

    bool holdsEngineId(const std::string& engineId) const;
    // Drops the keys of engine ids no address has any more.
    void dropUnheldKeys();
    // Keeps key under name, making room among its engine id's keys.
    void keep(const KeyName& name, const std::string& key);
    std::string stretchedKey(AuthProtocol protocol, const std::string& password,
                             const std::string& fingerprint);

    std::map<std::string, SnmpEngineState> m_engines;
    std::map<KeyName, KeptKey> m_keys;
    std::map<PasswordName, KeptKey> m_stretched;
    std::uint64_t m_uses = 0;
};
