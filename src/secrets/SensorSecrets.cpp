#include "SensorSecrets.h"

namespace {

// Host and user are the user's own texts; a separator they cannot contain
// keeps "a/b" + "c" apart from "a" + "b/c".
std::string keyFor(const std::string& host, const std::string& userName, const char* which)
{
    std::string key = "snmpv3/";
    for (const std::string* part : {&host, &userName}) {
        for (const char c : *part) {
            if (c == '%' || c == '/')
                key += c == '%' ? "%25" : "%2F";
            else
                key += c;
        }
        key += '/';
    }
    return key + which;
}

} // namespace

std::string SensorSecrets::authKey(const std::string& host, const std::string& userName)
{
    return keyFor(host, userName, "auth");
}

std::string SensorSecrets::privKey(const std::string& host, const std::string& userName)
{
    return keyFor(host, userName, "priv");
}

SecretStatus SensorSecrets::put(const std::string& key, const std::string& secret,
                                std::string& error)
{
    return secret.empty() ? m_store.remove(key, error) : m_store.store(key, secret, error);
}

SecretStatus SensorSecrets::get(const std::string& key, std::string& secret, std::string& error)
{
    const SecretStatus status = m_store.read(key, secret, error);
    if (status == SecretStatus::NotFound) {
        secret.clear();
        return SecretStatus::Ok;
    }
    return status;
}

SecretStatus SensorSecrets::save(const std::string& host, const std::string& userName,
                                 const SensorPasswords& passwords, std::string& error)
{
    const SecretStatus status = put(authKey(host, userName), passwords.Auth, error);
    if (status != SecretStatus::Ok)
        return status;
    return put(privKey(host, userName), passwords.Priv, error);
}

SecretStatus SensorSecrets::load(const std::string& host, const std::string& userName,
                                 SensorPasswords& passwords, std::string& error)
{
    passwords = SensorPasswords{};
    SecretStatus status = get(authKey(host, userName), passwords.Auth, error);
    if (status == SecretStatus::Ok)
        status = get(privKey(host, userName), passwords.Priv, error);
    if (status != SecretStatus::Ok)
        passwords = SensorPasswords{};
    return status;
}

SecretStatus SensorSecrets::forget(const std::string& host, const std::string& userName,
                                   std::string& error)
{
    const SecretStatus status = m_store.remove(authKey(host, userName), error);
    if (status != SecretStatus::Ok)
        return status;
    return m_store.remove(privKey(host, userName), error);
}
