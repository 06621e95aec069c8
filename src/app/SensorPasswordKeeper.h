#pragma once

#include "ISecretStore.h"
#include "SensorSecrets.h"
#include "TMonitorSettings.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

// The passwords of SNMPv3 sensors between runs: read from a secret store
// after the settings load and written to it when they are saved, never to the
// settings store. The desktop keyring by default; when there is none, the
// user is asked once whether a file only they may read will do, and the
// answer is kept as the store value "SecretsInFile" (0 keyring, 1 file).
// Nothing is asked, and no store touched, while no sensor has a password to
// load or save. A keyring that is there but locked is not an absent one: it
// is never a reason to ask about the file, and nothing is moved out of it.
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
    // SecretsNote instead (and keeps none). A keyring may answer later (after
    // its unlock prompt): meanwhile the sensors say so in their note, and the
    // answer is put into these settings when it comes, so they must outlive
    // the keeper or the next load. Raises TRegistryError when the store
    // value cannot be written.
    void load(TMonitorSettings& settings);

    // Reads again the passwords a locked keyring kept back, once it can give
    // them without asking (the user unlocked it meanwhile). Cheap when there
    // are none.
    void retryLocked();

    // Keeps the passwords of sensors 0 .. NumberOfHosts-1 that changed since
    // they were loaded or last kept, and forgets the entries this program
    // kept that no sensor uses any more. Returns what could not be kept, in
    // words for the user; empty when all went well.
    std::string save(const TMonitorSettings& settings);

    // The question asked when there is no keyring.
    std::string question() const;
    // The question asked, once a run, while the passwords are in the file
    // and a keyring is there: the file is left only when the user says so.
    std::string leaveQuestion() const;

private:
    using Account = std::pair<std::string, std::string>; // host, user name

    // The store passwords go to now.
    ISecretStore& store();
    bool inFile();
    // After the keyring said it is not there: asks, once per run. True when
    // the file is the store from now on.
    bool fallBackToFile();
    // Moves the passwords of these accounts from the file into the keyring
    // and goes back to it; all or nothing (the file stays on any failure).
    void leaveFile(const std::set<Account>& accounts);
    // Runs op on the store; once more on the file when the keyring is not
    // there and the user takes the file instead.
    SecretStatus withStore(const std::function<SecretStatus(SensorSecrets&)>& op);
    std::string failureText(SecretStatus status, const std::string& userName,
                            const std::string& error);
    // Asks the store for both passwords of account; arrived() takes the answer.
    void readAccount(const Account& account);
    void arrived(const Account& account, SecretStatus status, const SensorPasswords& passwords,
                 const std::string& error);

    std::shared_ptr<ISecretStore> m_keyring;
    std::unique_ptr<ISecretStore> m_file;
    std::string m_filePath;
    Ask m_ask;
    std::optional<bool> m_inFile;
    bool m_asked = false;
    bool m_askedToLeave = false;
    // What the store holds for each account this program loaded or kept.
    std::map<Account, SensorPasswords> m_known;
    // Accounts asked for and not answered yet, and those a locked keyring
    // kept back.
    std::set<Account> m_waiting;
    std::set<Account> m_locked;
    TMonitorSettings* m_settings = nullptr;
    // Answers that come after the keeper is gone find this expired.
    std::shared_ptr<char> m_alive = std::make_shared<char>();
};
