#pragma once

// Where the passwords of SNMPv3 sensors are kept: behind this small interface
// so the desktop keyring and the settings-file fallback are interchangeable
// and the rest of the program never sees which one it has.

#include <string>

enum class SecretStatus
{
    Ok,
    NotFound,    // nothing kept under that key
    Unavailable, // the store itself is not there (no keyring on this desktop)
    Failed,      // the store is there but the operation failed; see the error text
};

class ISecretStore
{
public:
    virtual ~ISecretStore() = default;

    // Keeps secret under key, replacing what was there.
    virtual SecretStatus store(const std::string& key, const std::string& secret,
                               std::string& error) = 0;
    // The secret under key; empty unless Ok.
    virtual SecretStatus read(const std::string& key, std::string& secret, std::string& error) = 0;
    // Removing a key that is not there is Ok.
    virtual SecretStatus remove(const std::string& key, std::string& error) = 0;
    // How the user knows this store ("desktop keyring", "settings file").
    virtual std::string name() const = 0;
};
