#include "DesktopKeyring.h"

#include "KeyringModule.h"
#include "OwnFolder.h"

#include <dlfcn.h>
#include <unistd.h>

namespace {

constexpr const char* kModule = "travimetra-keyring.so";

} // namespace

DesktopKeyring::DesktopKeyring(std::string service, std::string folder)
    : m_service(std::move(service)), m_folder(std::move(folder))
{
}

// The module stays loaded: the client's code must outlive it.
DesktopKeyring::~DesktopKeyring() = default;

std::string DesktopKeyring::modulePath(const std::string& folder)
{
    const std::string beside = folder + kModule;
    if (::access(beside.c_str(), R_OK) == 0)
        return beside;
    return folder + "../libexec/travimetra/" + kModule;
}

ISecretStore* DesktopKeyring::client()
{
    if (m_loaded)
        return m_client.get();
    m_loaded = true;
    const std::string path = modulePath(m_folder.empty() ? ownFolder() : m_folder);
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* why = ::dlerror();
        m_missing = "the keyring client " + path + " cannot be loaded" +
                    (why ? std::string(": ") + why : std::string());
        return nullptr;
    }
    auto create = reinterpret_cast<KeyringModule::Create>(::dlsym(module, KeyringModule::kCreate));
    if (!create) {
        m_missing = "the keyring client " + path + " is not one of this version";
        return nullptr;
    }
    m_client.reset(create(m_service.c_str()));
    if (!m_client)
        m_missing = "the keyring client " + path + " did not start";
    return m_client.get();
}

SecretStatus DesktopKeyring::store(const std::string& key, const std::string& secret,
                                   std::string& error)
{
    if (ISecretStore* c = client())
        return c->store(key, secret, error);
    error = m_missing;
    return SecretStatus::Unavailable;
}

SecretStatus DesktopKeyring::read(const std::string& key, std::string& secret, std::string& error)
{
    secret.clear();
    if (ISecretStore* c = client())
        return c->read(key, secret, error);
    error = m_missing;
    return SecretStatus::Unavailable;
}

void DesktopKeyring::readLater(const std::string& key, std::function<void(const SecretReply&)> done)
{
    if (ISecretStore* c = client())
        return c->readLater(key, std::move(done));
    SecretReply reply;
    reply.status = SecretStatus::Unavailable;
    reply.error = m_missing;
    done(reply);
}

SecretStatus DesktopKeyring::readable(const std::string& key)
{
    if (ISecretStore* c = client())
        return c->readable(key);
    return SecretStatus::Unavailable;
}

bool DesktopKeyring::present()
{
    ISecretStore* c = client();
    return c && c->present();
}

SecretStatus DesktopKeyring::remove(const std::string& key, std::string& error)
{
    if (ISecretStore* c = client())
        return c->remove(key, error);
    error = m_missing;
    return SecretStatus::Unavailable;
}
