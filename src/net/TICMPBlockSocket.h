#pragma once

#include "TDgramBlockSocket.h"

#include <netinet/in.h>

// An ICMP socket (ICMPv6 once created for an IPv6 destination). By default a
// raw socket, which needs CAP_NET_RAW. With Unprivileged set it is the
// kernel's ICMP datagram socket instead, open to the groups in
// net.ipv4.ping_group_range; that socket owns the echo identifier and
// delivers no IP header.
class TICMPBlockSocket : public TDgramBlockSocket
{
public:
    bool Unprivileged = false;

protected:
    int SocketType() const override { return Unprivileged ? SOCK_DGRAM : SOCK_RAW; }
    int SocketProtocol() const override { return m_ip6 ? int{IPPROTO_ICMPV6} : int{IPPROTO_ICMP}; }
};
