#pragma once

// Secrets in the desktop's keyring (the Secret Service of GNOME Keyring,
// KWallet or KeePassXC) through QtKeychain. Each call waits for its job in a
// local event loop, so it needs a QCoreApplication; never with QtKeychain's
// plain-text fallback, which would put passwords in a file unasked.

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
    SecretStatus remove(const std::string& key, std::string& error) override;
    std::string name() const override { return "desktop keyring"; }

    // Milliseconds to wait for the keyring before calling it unavailable: a
    // locked keyring may ask the user for its password meanwhile.
    int TimeoutMs = 60000;

private:
    std::string m_service;
};
