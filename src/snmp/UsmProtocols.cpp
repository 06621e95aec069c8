#include "UsmProtocols.h"

#include <array>

namespace {

struct AuthRow
{
    AuthProtocol value;
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
    PrivProtocol value;
    const char* name;
    std::size_t keyLength;
};

constexpr std::array<PrivRow, 3> kPriv{{
    {PrivProtocol::None, "none", 0},
    {PrivProtocol::DES, "DES", 16},
    {PrivProtocol::AES128, "AES-128", 16},
}};

struct LevelRow
{
    SecurityLevel value;
    const char* name;
};

constexpr std::array<LevelRow, 3> kLevels{{
    {SecurityLevel::NoAuthNoPriv, "noAuthNoPriv"},
    {SecurityLevel::AuthNoPriv, "authNoPriv"},
    {SecurityLevel::AuthPriv, "authPriv"},
}};

// The row of a value; the first row (the "none" one) for an unknown value.
template <typename Row, std::size_t N, typename Value>
const Row& rowOf(const std::array<Row, N>& rows, Value value)
{
    for (const Row& row : rows)
        if (row.value == value)
            return row;
    return rows[0];
}

template <typename Row, std::size_t N, typename Value>
bool parseName(const std::array<Row, N>& rows, const std::string& name, Value& value)
{
    for (const Row& row : rows) {
        if (name == row.name) {
            value = row.value;
            return true;
        }
    }
    return false;
}

const AuthRow& authRow(AuthProtocol protocol)
{
    return rowOf(kAuth, protocol);
}

const PrivRow& privRow(PrivProtocol protocol)
{
    return rowOf(kPriv, protocol);
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
    return rowOf(kLevels, level).name;
}

bool parseAuthProtocol(const std::string& name, AuthProtocol& protocol)
{
    return parseName(kAuth, name, protocol);
}

bool parsePrivProtocol(const std::string& name, PrivProtocol& protocol)
{
    return parseName(kPriv, name, protocol);
}

bool parseSecurityLevel(const std::string& name, SecurityLevel& level)
{
    return parseName(kLevels, name, level);
}
