#pragma once

// The fallback when the desktop has no keyring and the user agreed to it: the
// secrets in a file only its owner may read (mode 0600), replaced atomically
// on every change. Bytes are kept hex-encoded, one "key=hex" line each, so any
// password survives.

#include "ISecretStore.h"

#include <map>
#include <string>

class FileSecretStore : public ISecretStore
{
public:
    explicit FileSecretStore(std::string path);

    SecretStatus store(const std::string& key, const std::string& secret,
                       std::string& error) override;
    SecretStatus read(const std::string& key, std::string& secret, std::string& error) override;
    SecretStatus remove(const std::string& key, std::string& error) override;
    std::string name() const override { return "settings file"; }

private:
    // False when the file exists but cannot be read, is not a regular file
    // of ours, or others may read it (then nothing in it is trusted).
    bool load(std::map<std::string, std::string>& entries, std::string& error) const;
    bool save(const std::map<std::string, std::string>& entries, std::string& error) const;

    std::string m_path;
};
