#pragma once

#include "TBlockSocket.h"

// The layer where a SOCKS proxy would sit. No client of this program goes
// through a proxy, so it only carries the (empty) proxy settings.
class TSocksBlockSocket : public TBlockSocket
{
public:
    std::string SocksIP;
    std::string SocksPort = "1080";
    std::string SocksUsername;
    std::string SocksPassword;

    bool UsingSocks() const { return !SocksIP.empty(); }
};
