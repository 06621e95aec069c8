#pragma once

// The keyed digest that proves a message came from a holder of the user's key
// and was not changed on the way.

#include "UsmProtocols.h"

#include <string>

// The truncated HMAC of message under the localised key (authMacLength bytes);
// empty for AuthProtocol::None or when the library fails.
std::string usmAuthenticationDigest(AuthProtocol protocol, const std::string& localizedKey,
                                    const std::string& message);

// True when digest is the truncated HMAC of message (whose digest field is
// zeroed), compared in constant time so the time taken tells nothing about
// how much of a forged digest was right.
bool usmDigestMatches(AuthProtocol protocol, const std::string& localizedKey,
                      const std::string& message, const std::string& digest);
