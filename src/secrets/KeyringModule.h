#pragma once

#include "ISecretStore.h"

// What the keyring module travimetra-keyring.so exports: one function that
// makes its client; the caller owns it.
namespace KeyringModule {

using Create = ISecretStore* (*)(const char* service);
constexpr const char* kCreate = "travimetra_keyring_create";

} // namespace KeyringModule
