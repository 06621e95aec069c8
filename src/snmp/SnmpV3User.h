#pragma once

// Who a version-3 request speaks as, and how it is protected.

#include "UsmProtocols.h"

#include <string>

struct SnmpV3User
{
    std::string UserName;
    SecurityLevel Level = SecurityLevel::NoAuthNoPriv;
    AuthProtocol Auth = AuthProtocol::None;
    std::string AuthPassword;
    PrivProtocol Priv = PrivProtocol::None;
    std::string PrivPassword;
};
