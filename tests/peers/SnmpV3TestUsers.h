#pragma once

// The SNMPv3 users the tests configure in their own snmpd, one per
// authentication and privacy pair and level, and how net-snmp's command-line
// tools are told to speak as them.

#include "SnmpV3User.h"
#include "SnmpdPeer.h"

#include <string>
#include <vector>

namespace SnmpV3TestUsers {

inline const SnmpV3User kSha{"shaUser",      SecurityLevel::AuthPriv, AuthProtocol::SHA1,
                             "shaAuthPass1", PrivProtocol::AES128,    "shaPrivPass1"};
inline const SnmpV3User kSha256{"sha256User",     SecurityLevel::AuthPriv, AuthProtocol::SHA256,
                                "sha256AuthPass", PrivProtocol::AES128,    "sha256PrivPass"};
inline const SnmpV3User kMd5{"md5User",      SecurityLevel::AuthPriv, AuthProtocol::MD5,
                             "md5AuthPass1", PrivProtocol::DES,       "md5PrivPass1"};
inline const SnmpV3User kShaAuthOnly{"shaAuthUser",  SecurityLevel::AuthNoPriv, AuthProtocol::SHA1,
                                     "shaAuthOnly1", PrivProtocol::None,        ""};
inline const SnmpV3User kNoAuth{"noAuthUser", SecurityLevel::NoAuthNoPriv, AuthProtocol::None,
                                "",           PrivProtocol::None,          ""};

// Every user above, each allowed to read at its own level.
inline void configure(SnmpdPeer& agent)
{
    agent.setV3Users(
        {
            "createUser shaUser SHA \"shaAuthPass1\" AES \"shaPrivPass1\"",
            "createUser sha256User SHA-256 \"sha256AuthPass\" AES \"sha256PrivPass\"",
            "createUser md5User MD5 \"md5AuthPass1\" DES \"md5PrivPass1\"",
            "createUser shaAuthUser SHA \"shaAuthOnly1\"",
            "createUser noAuthUser",
        },
        {"rouser shaUser priv", "rouser sha256User priv", "rouser md5User priv",
         "rouser shaAuthUser auth", "rouser noAuthUser noauth"});
}

// The options of snmpget and its kin that speak as user.
inline std::vector<std::string> commandLine(const SnmpV3User& user)
{
    std::vector<std::string> args{"-v3", "-u", user.UserName, "-l", securityLevelName(user.Level)};
    if (user.Level != SecurityLevel::NoAuthNoPriv)
        args.insert(args.end(), {"-a",
                                 user.Auth == AuthProtocol::SHA1 ? std::string("SHA")
                                                                 : authProtocolName(user.Auth),
                                 "-A", user.AuthPassword});
    if (user.Level == SecurityLevel::AuthPriv)
        args.insert(args.end(), {"-x", user.Priv == PrivProtocol::DES ? "DES" : "AES", "-X",
                                 user.PrivPassword});
    return args;
}

} // namespace SnmpV3TestUsers
