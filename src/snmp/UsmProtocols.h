#pragma once

// The user-based security model's choices: how a message is authenticated,
// how its PDU is kept private, and which of the two a request asks for.

#include <cstddef>
#include <string>

enum class SecurityLevel
{
    NoAuthNoPriv = 0,
    AuthNoPriv = 1,
    AuthPriv = 3, // the msgFlags bits: 1 authentication, 2 privacy
};

// HMAC-MD5-96 is only there to read old devices; the SHA-2 family carries the
// truncations of RFC 7860.
enum class AuthProtocol
{
    None,
    MD5,
    SHA1,
    SHA224,
    SHA256,
    SHA384,
    SHA512,
};

// DES-CBC is only there to read old devices.
enum class PrivProtocol
{
    None,
    DES,
    AES128,
};

// Length of the digest carried in msgAuthenticationParameters (0 for None).
std::size_t authMacLength(AuthProtocol protocol);
// Length of a localised key: the full output of the protocol's hash (0 for None).
std::size_t authKeyLength(AuthProtocol protocol);
// Key bytes the privacy protocol takes from the localised key (DES: 8 of key
// and 8 of pre-IV).
std::size_t privKeyLength(PrivProtocol protocol);

// Names as the settings and the user see them ("SHA-256", "AES-128"); the
// parsers accept exactly these and give false for anything else.
std::string authProtocolName(AuthProtocol protocol);
std::string privProtocolName(PrivProtocol protocol);
std::string securityLevelName(SecurityLevel level);
bool parseAuthProtocol(const std::string& name, AuthProtocol& protocol);
bool parsePrivProtocol(const std::string& name, PrivProtocol& protocol);
bool parseSecurityLevel(const std::string& name, SecurityLevel& level);
