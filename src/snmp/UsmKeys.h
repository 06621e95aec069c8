#pragma once

// Turning a user's password into the keys of one agent: the password is
// stretched to a key once (password-to-key), then tied to the agent's engine id
// (localisation), so a key read off one agent is useless on another.

#include "UsmProtocols.h"

#include <string>

// Hash of one megabyte of the password repeated. Empty for an empty password
// or AuthProtocol::None: no key can come from them.
std::string passwordToKey(AuthProtocol protocol, const std::string& password);

// H(key | engineId | key) with the protocol's hash.
std::string localizeKey(AuthProtocol protocol, const std::string& key, const std::string& engineId);

// Both steps; empty when the password is empty.
std::string localizedKeyFromPassword(AuthProtocol protocol, const std::string& password,
                                     const std::string& engineId);
