#pragma once

// Where the passwords of SNMPv3 sensors are kept: behind this small interface
// so the desktop keyring and the settings-file fallback are interchangeable
// and the rest of the program never sees which one it has.

#include <functional>
#include <string>

enum class SecretStatus
{
    Ok,
    NotFound,    // nothing kept under that key
    Unavailable, // the store itself is not there (no keyring on this desktop)
    Failed,      // the store is there but the operation failed; see the error text
    Locked,      // the store is there but locked, and was not unlocked when it asked
};

// The answer to a read.
struct SecretReply
{
    SecretStatus status = SecretStatus::Failed;
    std::string secret; // empty unless Ok
    std::string error;
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
    // The secret under key without waiting for it: done runs on this thread
    // once the store answers, which may be after the user unlocked it. A
    // store that never waits answers at once, before this returns.
    virtual void readLater(const std::string& key, std::function<void(const SecretReply&)> done)
    {
        SecretReply reply;
        reply.status = read(key, reply.secret, reply.error);
        done(reply);
    }
    // Whether the entry under key can be read now without asking the user
    // to unlock the store (Ok), or not (Locked). Asks nothing.
    virtual SecretStatus readable(const std::string& key)
    {
        (void)key;
        return SecretStatus::Ok;
    }
    // Whether the store is there to be used at all (a keyring on the
    // desktop); locked or not. Asks nothing.
    virtual bool present() { return true; }
    // Removing a key that is not there is Ok.
    virtual SecretStatus remove(const std::string& key, std::string& error) = 0;
    // How the user knows this store ("desktop keyring", "settings file").
    virtual std::string name() const = 0;
};
