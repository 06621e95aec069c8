#pragma once

#include "ISecretStore.h"
#include "SensorSecrets.h"
#include "TMonitorSettings.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

// The passwords of SNMPv3 sensors between runs: read from a secret store
// after the settings load and written to it when they are saved, never to the
// settings store. The desktop keyring by default; when there is none, the
// user is asked once whether a file only they may read will do, and the
// answer is kept as the store value "SecretsInFile" (0 keyring, 1 file).
// Nothing is asked, and no store touched, while no sensor has a password to
// load or save.
class SensorPasswordKeeper
{
public:
    // A question answered Yes (true) or No.
    using Ask = std::function<bool(const std::string& question)>;

    SensorPasswordKeeper(std::shared_ptr<ISecretStore> keyring, std::string filePath, Ask ask);

    // The file of passwords: beside the settings store.
    static std::string defaultFilePath();

    // Reads "SecretsInFile" (a missing or unknown value is written back as
    // 0) and fills in the passwords of every SNMPv3 sensor whose level needs
    // them; a sensor whose passwords the store could not give gets its
    // SecretsNote instead (and keeps none). Raises TRegistryError when the
    // store value cannot be written.
    void load(TMonitorSettings& settings);

    // Keeps the passwords of sensors 0 .. NumberOfHosts-1 that changed since
    // they were loaded or last kept, and forgets the entries this program
    // kept that no sensor uses any more. Returns what could not be kept, in
    // words for the user; empty when all went well.
    std::string save(const TMonitorSettings& settings);

    // The question asked when there is no keyring.
    std::string question() const;

private:
    using Account = std::pair<std::string, std::string>; // host, user name

    // The store passwords go to now.
    ISecretStore& store();
    bool inFile();
    // After the keyring said it is not there: asks, once per run. True when
    // the file is the store from now on.
    bool fallBackToFile();
    // Runs op on the store; once more on the file when the keyring is not
    // there and the user takes the file instead.
    SecretStatus withStore(const std::function<SecretStatus(SensorSecrets&)>& op);
    std::string failureText(SecretStatus status, const std::string& userName,
                            const std::string& error);

    std::shared_ptr<ISecretStore> m_keyring;
    std::unique_ptr<ISecretStore> m_file;
    std::string m_filePath;
    Ask m_ask;
    std::optional<bool> m_inFile;
    bool m_asked = false;
    // What the store holds for each account this program loaded or kept.
    std::map<Account, SensorPasswords> m_known;
};
