#pragma once

// What a manager must remember of each agent's SNMP engine between requests:
// its engine id, its boots and time (kept moving with our own clock), and the
// keys localised to it. The caller keeps one cache for as long as it polls, so
// only the first request to an agent pays for discovery and key derivation.

#include "UsmProtocols.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

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

class SnmpEngineCache
{
public:
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

    // A cache of its own with what this one knows of agent: its engine and
    // the keys localised to that engine.
    SnmpEngineCache extract(const std::string& agent) const;
    // Takes every localised key of other that this cache lacks.
    void addKeys(const SnmpEngineCache& other);

    // The key of password localised to engineId, derived once and then kept.
    // Empty when there is no key to derive (empty password, no protocol).
    std::string localizedKey(AuthProtocol protocol, const std::string& password,
                             const std::string& engineId);

private:
    std::map<std::string, SnmpEngineState> m_engines;
    // Keyed by a digest of the password, not the password itself.
    std::map<std::tuple<AuthProtocol, std::string, std::string>, std::string> m_keys;
};
