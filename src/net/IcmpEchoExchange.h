#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <string>

// One echo request and the wait for its answer, on an ICMP socket that is
// already open: a raw socket, or the kernel's unprivileged ICMP datagram
// socket (which owns the identifier and delivers errors through the error
// queue).
struct IcmpEchoParams
{
    sockaddr_storage destination{};
    socklen_t destinationLength = 0;
    bool datagram = false;
    int timeoutMs = 5000;
    std::size_t payloadSize = 32;
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 1;
};

struct IcmpEchoOutcome
{
    // 0 when an answer was accepted; otherwise the socket error number, or
    // SockErr::TimedOut when nothing acceptable came in time.
    int error = 0;
    std::string from;
    std::uint8_t type = 0;
    std::uint8_t code = 0;
    std::uint32_t roundTripMs = 0;
};

IcmpEchoOutcome performIcmpEcho(int fd, const IcmpEchoParams& params);
