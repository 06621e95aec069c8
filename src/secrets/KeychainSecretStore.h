#pragma once

// Secrets in the desktop's keyring (the Secret Service of GNOME Keyring,
// KWallet or KeePassXC) through QtKeychain. Each call but readLater waits for
// its job in a local event loop, so it needs a QCoreApplication; never with
// QtKeychain's plain-text fallback, which would put passwords in a file
// unasked. A locked keyring is Locked, never NotFound or Unavailable.

#include "ISecretStore.h"

#include <string>

class KeychainSecretStore : public ISecretStore
{
public:
    // service names the application's entries in the keyring.
    explicit KeychainSecretStore(std::string service = "Travimetra");

    SecretStatus store(const std::string& key, const std::string& secret,
                       std::string& error) override;
    SecretStatus read(const std::string& key, std::string& secret, std::string& error) override;
    void readLater(const std::string& key, std::function<void(const SecretReply&)> done) override;
    SecretStatus readable(const std::string& key) override;
    bool present() override;
    SecretStatus remove(const std::string& key, std::string& error) override;
    std::string name() const override { return "desktop keyring"; }

    // Milliseconds a write or a waited read gives the keyring before calling
    // it locked (its unlock prompt unanswered) or, when it is not on the
    // bus at all, unavailable.
    int TimeoutMs = 60000;

private:
    std::string m_service;
};
