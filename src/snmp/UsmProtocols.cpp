#include "UsmProtocols.h"

#include <array>
#include <utility>

namespace {

struct AuthRow
{
    AuthProtocol protocol;
    const char* name;
    std::size_t macLength;
    std::size_t keyLength;
};

constexpr std::array<AuthRow, 7> kAuth{{
    {AuthProtocol::None, "none", 0, 0},
    {AuthProtocol::MD5, "MD5", 12, 16},
    {AuthProtocol::SHA1, "SHA-1", 12, 20},
    {AuthProtocol::SHA224, "SHA-224", 16, 28},
    {AuthProtocol::SHA256, "SHA-256", 24, 32},
    {AuthProtocol::SHA384, "SHA-384", 32, 48},
    {AuthProtocol::SHA512, "SHA-512", 48, 64},
}};

struct PrivRow
{
    PrivProtocol protocol;
    const char* name;
    std::size_t keyLength;
};

constexpr std::array<PrivRow, 3> kPriv{{
    {PrivProtocol::None, "none", 0},
    {PrivProtocol::DES, "DES", 16},
    {PrivProtocol::AES128, "AES-128", 16},
}};

constexpr std::array<std::pair<SecurityLevel, const char*>, 3> kLevels{{
    {SecurityLevel::NoAuthNoPriv, "noAuthNoPriv"},
    {SecurityLevel::AuthNoPriv, "authNoPriv"},
    {SecurityLevel::AuthPriv, "authPriv"},
}};

const AuthRow& authRow(AuthProtocol protocol)
{
    for (const auto& row : kAuth)
        if (row.protocol == protocol)
            return row;
    return kAuth[0];
}

const PrivRow& privRow(PrivProtocol protocol)
{
    for (const auto& row : kPriv)
        if (row.protocol == protocol)
            return row;
    return kPriv[0];
}

} // namespace

std::size_t authMacLength(AuthProtocol protocol)
{
    return authRow(protocol).macLength;
}

std::size_t authKeyLength(AuthProtocol protocol)
{
    return authRow(protocol).keyLength;
}

std::size_t privKeyLength(PrivProtocol protocol)
{
    return privRow(protocol).keyLength;
}

std::string authProtocolName(AuthProtocol protocol)
{
    return authRow(protocol).name;
}

std::string privProtocolName(PrivProtocol protocol)
{
    return privRow(protocol).name;
}

std::string securityLevelName(SecurityLevel level)
{
    for (const auto& [value, name] : kLevels)
        if (value == level)
            return name;
    return kLevels[0].second;
}

bool parseAuthProtocol(const std::string& name, AuthProtocol& protocol)
{
    for (const auto& row : kAuth) {
        if (name == row.name) {
            protocol = row.protocol;
            return true;
        }
    }
    return false;
}

bool parsePrivProtocol(const std::string& name, PrivProtocol& protocol)
{
    for (const auto& row : kPriv) {
        if (name == row.name) {
            protocol = row.protocol;
            return true;
        }
    }
    return false;
}

bool parseSecurityLevel(const std::string& name, SecurityLevel& level)
{
    for (const auto& [value, text] : kLevels) {
        if (name == text) {
            level = value;
            return true;
        }
    }
    return false;
}
