#pragma once

#include "TDgramBlockSocket.h"

#include <netinet/in.h>

class TUDPBlockSocket : public TDgramBlockSocket
{
protected:
    int SocketType() const override { return SOCK_DGRAM; }
    int SocketProtocol() const override { return IPPROTO_UDP; }
};
