#pragma once

// The two passwords of an SNMPv3 sensor, kept in a secret store under keys
// that name the agent and the user (not the sensor's position in the list,
// which changes when sensors are reordered).

#include "ISecretStore.h"

#include <string>

struct SensorPasswords
{
    std::string Auth;
    std::string Priv;
};

class SensorSecrets
{
public:
    explicit SensorSecrets(ISecretStore& store) : m_store(store) {}

    static std::string authKey(const std::string& host, const std::string& userName);
    static std::string privKey(const std::string& host, const std::string& userName);

    // Stores both; an empty password removes its entry, so nothing stale stays.
    SecretStatus save(const std::string& host, const std::string& userName,
                      const SensorPasswords& passwords, std::string& error);
    // Reads both; a missing entry reads as an empty password (a level that
    // needs it then reports it missing). Unavailable or Failed as the store says.
    SecretStatus load(const std::string& host, const std::string& userName,
                      SensorPasswords& passwords, std::string& error);
    SecretStatus forget(const std::string& host, const std::string& userName, std::string& error);

private:
    SecretStatus put(const std::string& key, const std::string& secret, std::string& error);
    SecretStatus get(const std::string& key, std::string& secret, std::string& error);

    ISecretStore& m_store;
};
