#include "SnmpEngineCache.h"

#include "LibCrypto.h"

#include "UsmKeys.h"

namespace {

constexpr std::uint32_t kTimeWindow = 150; // seconds
constexpr std::uint32_t kMaxBoots = 2147483647;
constexpr std::uint32_t kMaxTime = 2147483647;

std::string passwordFingerprint(const std::string& password)
{
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (LibCrypto::EVP_Digest(password.data(), password.size(), out, &length,
                              LibCrypto::EVP_sha256(), nullptr) != 1)
        return {};
    return std::string(reinterpret_cast<const char*>(out), length);
}

} // namespace

std::string snmpAgentKey(const std::string& host, const std::string& port)
{
    return host + "|" + port;
}

std::uint32_t SnmpEngineState::estimatedTime(Clock::time_point now) const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - Stamp).count();
    if (elapsed <= 0)
        return Time;
    const std::uint64_t time = std::uint64_t{Time} + static_cast<std::uint64_t>(elapsed);
    return time > kMaxTime ? kMaxTime : static_cast<std::uint32_t>(time);
}

bool SnmpEngineState::acceptAuthenticated(std::uint32_t boots, std::uint32_t time,
                                          Clock::time_point now, bool& rebooted)
{
    rebooted = false;
    if (!Synchronised || boots > Boots || (boots == Boots && time > LatestReceivedTime)) {
        rebooted = Synchronised && boots > Boots;
        // A first authenticated message sets the clock even when discovery
        // guessed higher values: only now are they known to be the agent's.
        if (!Synchronised || boots >= Boots) {
            Boots = boots;
            Time = time;
            LatestReceivedTime = time;
            Stamp = now;
            Synchronised = true;
        }
    }
    if (Boots == kMaxBoots || boots < Boots)
        return false;
    return !(boots == Boots && time + kTimeWindow < LatestReceivedTime);
}

SnmpEngineState* SnmpEngineCache::find(const std::string& agent)
{
    const auto it = m_engines.find(agent);
    return it == m_engines.end() ? nullptr : &it->second;
}

const SnmpEngineState* SnmpEngineCache::find(const std::string& agent) const
{
    const auto it = m_engines.find(agent);
    return it == m_engines.end() ? nullptr : &it->second;
}

SnmpEngineState& SnmpEngineCache::learn(const std::string& agent, const std::string& engineId,
                                        std::uint32_t boots, std::uint32_t time,
                                        SnmpEngineState::Clock::time_point now)
{
    SnmpEngineState& state = m_engines[agent];
    state = SnmpEngineState{};
    state.EngineID = engineId;
    state.Boots = boots;
    state.Time = time;
    state.Stamp = now;
    dropUnheldKeys();
    return state;
}

void SnmpEngineCache::forget(const std::string& agent)
{
    m_engines.erase(agent);
    dropUnheldKeys();
}

void SnmpEngineCache::put(const std::string& agent, const SnmpEngineState& state)
{
    m_engines[agent] = state;
    dropUnheldKeys();
}

SnmpEngineCache SnmpEngineCache::extract(const std::string& agent) const
{
    SnmpEngineCache part;
    part.m_stretched = m_stretched;
    const auto engine = m_engines.find(agent);
    if (engine == m_engines.end())
        return part;
    part.m_engines.insert(*engine);
    for (const auto& entry : m_keys)
        if (std::get<2>(entry.first) == engine->second.EngineID)
            part.m_keys.insert(entry);
    return part;
}

void SnmpEngineCache::addKeys(const SnmpEngineCache& other)
{
    for (const auto& [name, kept] : other.m_keys)
        if (m_keys.count(name) == 0 && holdsEngineId(std::get<2>(name)))
            keep(name, kept.Key);
    for (const auto& [name, kept] : other.m_stretched)
        if (m_stretched.count(name) == 0 && m_stretched.size() < kMaxStretchedKeys)
            m_stretched.emplace(name, KeptKey{kept.Key, ++m_uses});
}

bool SnmpEngineCache::holdsEngineId(const std::string& engineId) const
{
    for (const auto& entry : m_engines)
        if (entry.second.EngineID == engineId)
            return true;
    return false;
}

void SnmpEngineCache::dropUnheldKeys()
{
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (holdsEngineId(std::get<2>(it->first)))
            ++it;
        else
            it = m_keys.erase(it);
    }
}

void SnmpEngineCache::keep(const KeyName& name, const std::string& key)
{
    std::size_t sameEngine = 0;
    auto oldest = m_keys.end();
    for (auto it = m_keys.begin(); it != m_keys.end(); ++it) {
        if (std::get<2>(it->first) != std::get<2>(name))
            continue;
        ++sameEngine;
        if (oldest == m_keys.end() || it->second.LastUse < oldest->second.LastUse)
            oldest = it;
    }
    if (sameEngine >= kMaxKeysPerEngine && oldest != m_keys.end())
        m_keys.erase(oldest);
    m_keys[name] = KeptKey{key, ++m_uses};
}

std::string SnmpEngineCache::stretchedKey(AuthProtocol protocol, const std::string& password,
                                          const std::string& fingerprint)
{
    const PasswordName name{protocol, fingerprint};
    const auto it = m_stretched.find(name);
    if (it != m_stretched.end()) {
        it->second.LastUse = ++m_uses;
        return it->second.Key;
    }
    std::string key = passwordToKey(protocol, password);
    if (key.empty())
        return key;
    if (m_stretched.size() >= kMaxStretchedKeys) {
        auto oldest = m_stretched.begin();
        for (auto candidate = m_stretched.begin(); candidate != m_stretched.end(); ++candidate)
            if (candidate->second.LastUse < oldest->second.LastUse)
                oldest = candidate;
        m_stretched.erase(oldest);
    }
    m_stretched.emplace(name, KeptKey{key, ++m_uses});
    return key;
}

std::string SnmpEngineCache::localizedKey(AuthProtocol protocol, const std::string& password,
                                          const std::string& engineId)
{
    if (password.empty() || protocol == AuthProtocol::None)
        return {};
    const std::string fingerprint = passwordFingerprint(password);
    const KeyName name{protocol, fingerprint, engineId};
    const auto it = m_keys.find(name);
    if (it != m_keys.end()) {
        it->second.LastUse = ++m_uses;
        return it->second.Key;
    }
    std::string localized =
        localizeKey(protocol, stretchedKey(protocol, password, fingerprint), engineId);
    if (!localized.empty())
        keep(name, localized);
    return localized;
}
