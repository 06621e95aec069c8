#pragma once

#include "TDgramBlockSocket.h"

#include <netinet/in.h>

// A raw ICMP socket (ICMPv6 once created for an IPv6 destination). Opening one
// needs CAP_NET_RAW.
class TICMPBlockSocket : public TDgramBlockSocket
{
protected:
    int SocketType() const override { return SOCK_RAW; }
    int SocketProtocol() const override { return m_ip6 ? IPPROTO_ICMPV6 : IPPROTO_ICMP; }
};
