#pragma once

#include "ISecretStore.h"

#include <memory>
#include <string>

// The desktop keyring as the programs use it: the keyring client
// (QtKeychain, Qt's D-Bus module and the libraries under them, over a
// megabyte resident) is a module of its own, travimetra-keyring.so, loaded
// when a password is first stored or read; a program without SNMPv3
// sensors never loads it. Without the module the keyring is not there.
class DesktopKeyring : public ISecretStore
{
public:
    // folder: where the module is looked for (see modulePath); the
    // executable's own when empty.
    explicit DesktopKeyring(std::string service = "Travimetra", std::string folder = {});
    ~DesktopKeyring() override;

    SecretStatus store(const std::string& key, const std::string& secret,
                       std::string& error) override;
    SecretStatus read(const std::string& key, std::string& secret, std::string& error) override;
    void readLater(const std::string& key, std::function<void(const SecretReply&)> done) override;
    SecretStatus readable(const std::string& key) override;
    bool present() override;
    SecretStatus remove(const std::string& key, std::string& error) override;
    std::string name() const override { return "desktop keyring"; }

    // Whether the module has been loaded (for tests).
    bool loaded() const { return m_loaded; }
    // Where the module is looked for, in order: beside the executable (the
    // build folder, the installed helpers) and in the helpers' folder.
    static std::string modulePath(const std::string& ownFolder);

private:
    // The keyring client, loaded on the first call; null when the module
    // is missing, with the reason in m_missing.
    ISecretStore* client();

    std::string m_service;
    std::string m_folder;
    bool m_loaded = false;
    std::unique_ptr<ISecretStore> m_client;
    std::string m_missing;
};
