#pragma once

// The OpenSSL message digest behind each authentication protocol.

#include "UsmProtocols.h"

#include <openssl/types.h>

// Null for AuthProtocol::None.
const EVP_MD* usmDigest(AuthProtocol protocol);
