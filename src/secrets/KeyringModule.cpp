#include "KeyringModule.h"
#include "KeychainSecretStore.h"

extern "C" __attribute__((visibility("default"))) ISecretStore*
travimetra_keyring_create(const char* service)
{
    try {
        return new KeychainSecretStore(service ? service : "Travimetra");
    } catch (...) {
        return nullptr;
    }
}
