#include "SensorPasswordKeeper.h"

#include "FileSecretStore.h"
#include "RegStoreFile.h"
#include "RegVariant.h"
#include "RegistryError.h"
#include "SensorPollV2c.h"
#include "StorePlatform.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <algorithm>

namespace {

const char* const kInFileName = "SecretsInFile";
// Its two stored choices.
constexpr int32_t kInKeyring = 0;
constexpr int32_t kInFile = 1;
const char* const kWaitingNote =
    "The passwords are being read from the desktop keyring, which may ask to be unlocked.";

bool isV3(const TSensorRecord& sensor)
{
    return sensor.SnmpVersion == TSnmpVersion::V3 && !sensor.V3.UserName.empty();
}

bool same(const SensorPasswords& a, const SensorPasswords& b)
{
    return a.Auth == b.Auth && a.Priv == b.Priv;
}

bool empty(const SensorPasswords& passwords)
{
    return passwords.Auth.empty() && passwords.Priv.empty();
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

SensorPasswordKeeper::SensorPasswordKeeper(std::shared_ptr<ISecretStore> keyring,
                                           std::string filePath, Ask ask)
    : m_keyring(std::move(keyring)), m_filePath(std::move(filePath)), m_ask(std::move(ask))
{
}

std::string SensorPasswordKeeper::defaultFilePath()
{
    const std::string store = RegStoreFile::path();
    const std::size_t slash = store.rfind('/');
    if (slash == std::string::npos)
        return "Travimetra.secrets";
    return store.substr(0, slash) + "/Travimetra.secrets";
}

std::string SensorPasswordKeeper::question() const
{
    return "No desktop keyring is available to keep the passwords of SNMPv3 sensors.\n\r\n\r"
           "Keep them in a file that only you may read instead?\n\r" +
           m_filePath +
           "\n\r\n\rWith No, the passwords are not kept: SNMPv3 sensors need them entered "
           "again after each start.";
}

std::string SensorPasswordKeeper::leaveQuestion() const
{
    return "The passwords of SNMPv3 sensors are kept in the file\n\r" + m_filePath +
           "\n\rand a desktop keyring is available.\n\r\n\rMove them into the keyring?\n\r\n\r"
           "With No, they stay in the file.";
}

bool SensorPasswordKeeper::inFile()
{
    if (!m_inFile) {
        // Missing or unknown: the keyring, as before there was a choice.
        m_inFile = std::get<int32_t>(loadStoredValue(kSettingsKey, kInFileName, true)) == kInFile;
    }
    return *m_inFile;
}

ISecretStore& SensorPasswordKeeper::store()
{
    if (!inFile())
        return *m_keyring;
    if (!m_file) {
        // The folder is the settings store's, private like it.
        const std::size_t slash = m_filePath.rfind('/');
        if (slash != std::string::npos && slash > 0)
            StorePlatform::makeFolders(m_filePath.substr(0, slash));
        m_file = std::make_unique<FileSecretStore>(m_filePath);
    }
    return *m_file;
}

bool SensorPasswordKeeper::fallBackToFile()
{
    if (inFile())
        return true;
    if (m_asked)
        return false;
    m_asked = true;
    m_askedToLeave = true;
    if (!m_ask || !m_ask(question()))
        return false;
    saveStoredValue(kSettingsKey, kInFileName, kInFile);
    m_inFile = true;
    return true;
}

void SensorPasswordKeeper::leaveFile(const std::set<Account>& accounts)
{
    SensorSecrets file(store());
    SensorSecrets keyring(*m_keyring);
    std::string error;
    for (const Account& account : accounts) {
        SensorPasswords passwords;
        if (file.load(account.first, account.second, passwords, error) != SecretStatus::Ok ||
            keyring.save(account.first, account.second, passwords, error) != SecretStatus::Ok)
            return;
    }
    saveStoredValue(kSettingsKey, kInFileName, kInKeyring);
    m_inFile = false;
    // Only once all are in the keyring: never a password in neither place.
    for (const Account& account : accounts)
        file.forget(account.first, account.second, error);
}

SecretStatus SensorPasswordKeeper::withStore(const std::function<SecretStatus(SensorSecrets&)>& op)
{
    SensorSecrets secrets(store());
    const SecretStatus status = op(secrets);
    if (status != SecretStatus::Unavailable || inFile() || !fallBackToFile())
        return status;
    SensorSecrets inTheFile(store());
    return op(inTheFile);
}

std::string SensorPasswordKeeper::failureText(SecretStatus status, const std::string& userName,
                                              const std::string& error)
{
    if (status == SecretStatus::Unavailable)
        return "no desktop keyring is available for the passwords of SNMPv3 user " +
               quoted(userName);
    if (status == SecretStatus::Locked)
        return "the desktop keyring is locked for the passwords of SNMPv3 user " + quoted(userName);
    return "the " + store().name() + " failed for the passwords of SNMPv3 user " +
           quoted(userName) + (error.empty() ? std::string() : ": " + error);
}

void SensorPasswordKeeper::load(TMonitorSettings& settings)
{
    // Read (and a missing value written back) like every stored value.
    inFile();
    m_settings = &settings;
    std::set<Account> toRead;
    for (TSensorRecord& sensor : settings.Sensors) {
        sensor.SecretsNote.clear();
        if (!isV3(sensor) || sensor.V3.Level == SecurityLevel::NoAuthNoPriv)
            continue;
        const Account account{sensor.HostIP, sensor.V3.UserName};
        const auto known = m_known.find(account);
        // A second sensor of the same account, or a reload: the store was
        // asked already.
        if (known != m_known.end()) {
            sensor.V3.AuthPassword = known->second.Auth;
            sensor.V3.PrivPassword = known->second.Priv;
            continue;
        }
        sensor.SecretsNote = kWaitingNote;
        toRead.insert(account);
    }
    if (!toRead.empty() && inFile() && !m_askedToLeave && m_keyring->present()) {
        m_askedToLeave = true;
        if (m_ask && m_ask(leaveQuestion()))
            leaveFile(toRead);
    }
    for (const Account& account : toRead) {
        if (m_waiting.insert(account).second)
            readAccount(account);
    }
}

void SensorPasswordKeeper::readAccount(const Account& account)
{
    const std::weak_ptr<char> alive = m_alive;
    const auto usable = [](SecretStatus status) {
        return status == SecretStatus::Ok || status == SecretStatus::NotFound;
    };
    store().readLater(
        SensorSecrets::authKey(account.first, account.second),
        [this, alive, account, usable](const SecretReply& auth) {
            if (alive.expired())
                return;
            if (!usable(auth.status)) {
                arrived(account, auth.status, {}, auth.error);
                return;
            }
            store().readLater(
                SensorSecrets::privKey(account.first, account.second),
                [this, alive, account, usable, authSecret = auth.secret](const SecretReply& priv) {
                    if (alive.expired())
                        return;
                    arrived(account, usable(priv.status) ? SecretStatus::Ok : priv.status,
                            {authSecret, priv.secret}, priv.error);
                });
        });
}

void SensorPasswordKeeper::arrived(const Account& account, SecretStatus status,
                                   const SensorPasswords& passwords, const std::string& error)
{
    // Only a keyring that is not there at all leads to the question.
    if (status == SecretStatus::Unavailable && !inFile() && fallBackToFile()) {
        readAccount(account);
        return;
    }
    m_waiting.erase(account);
    if (status == SecretStatus::Locked)
        m_locked.insert(account);
    else
        m_locked.erase(account);
    if (status == SecretStatus::Ok)
        m_known[account] = passwords;
    if (!m_settings)
        return;
    for (TSensorRecord& sensor : m_settings->Sensors) {
        // Passwords typed meanwhile are the user's, and stay.
        if (!isV3(sensor) || sensor.HostIP != account.first ||
            sensor.V3.UserName != account.second || sensor.SecretsNote.empty() ||
            !sensor.V3.AuthPassword.empty() || !sensor.V3.PrivPassword.empty())
            continue;
        if (status == SecretStatus::Ok) {
            sensor.SecretsNote.clear();
            sensor.V3.AuthPassword = passwords.Auth;
            sensor.V3.PrivPassword = passwords.Priv;
        } else {
            sensor.SecretsNote =
                "The passwords could not be read: " + failureText(status, account.second, error) +
                "." + (status == SecretStatus::Locked ? " They are read once it is unlocked." : "");
        }
    }
}

void SensorPasswordKeeper::retryLocked()
{
    if (m_locked.empty() || inFile())
        return;
    const std::set<Account> locked = m_locked;
    for (const Account& account : locked) {
        // Reading now would put the unlock prompt up again: only once the
        // keyring can answer without it.
        if (m_waiting.count(account) || store().readable(SensorSecrets::authKey(
                                            account.first, account.second)) == SecretStatus::Locked)
            continue;
        m_waiting.insert(account);
        readAccount(account);
    }
}

std::string SensorPasswordKeeper::save(const TMonitorSettings& settings)
{
    std::map<Account, SensorPasswords> wanted;
    const std::size_t count =
        std::min(settings.Sensors.size(), std::size_t(std::max(0, settings.NumberOfHosts)));
    for (std::size_t i = 0; i < count; ++i) {
        const TSensorRecord& sensor = settings.Sensors[i];
        if (isV3(sensor))
            wanted[{sensor.HostIP, sensor.V3.UserName}] = {sensor.V3.AuthPassword,
                                                           sensor.V3.PrivPassword};
    }
    std::string problems;
    const auto tell = [&problems](const std::string& text) {
        problems += (problems.empty() ? "" : "\n\r") + text;
    };
    for (const auto& [account, passwords] : wanted) {
        const auto known = m_known.find(account);
        // Unknown and empty: nothing to keep, and a store that could not give
        // them is not emptied on its word.
        if (known == m_known.end() ? empty(passwords) : same(known->second, passwords))
            continue;
        std::string error;
        const SecretStatus status = withStore([&](SensorSecrets& secrets) {
            return secrets.save(account.first, account.second, passwords, error);
        });
        if (status == SecretStatus::Ok)
            m_known[account] = passwords;
        else
            tell("The passwords could not be kept: " + failureText(status, account.second, error) +
                 ".");
    }
    // Entries of accounts no sensor has any more.
    for (auto it = m_known.begin(); it != m_known.end();) {
        if (wanted.count(it->first) || empty(it->second)) {
            ++it;
            continue;
        }
        std::string error;
        const SecretStatus status = withStore([&](SensorSecrets& secrets) {
            return secrets.forget(it->first.first, it->first.second, error);
        });
        if (status == SecretStatus::Ok)
            it = m_known.erase(it);
        else
            ++it;
    }
    return problems;
}
