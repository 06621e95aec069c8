#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <string>

// What an answer to our echo request must look like.
struct IcmpEchoExpectation
{
    bool ip6 = false;
    // Raw IPv4 sockets deliver the IP header in front of the ICMP message.
    bool withIpHeader = false;
    // False while the identifier is unknown (the kernel chose it).
    bool matchIdentifier = true;
    // The request as sent (the checksum field is not compared).
    std::string request;
    // Destination of the answers, for the ICMPv6 pseudo-header checksum.
    in6_addr local6{};
};

struct IcmpVerdict
{
    bool accepted = false;
    std::uint8_t type = 0;
    std::uint8_t code = 0;
};

// Decides whether a received packet answers our request: an echo reply with
// a valid checksum that carries our identifier, sequence number, time stamp
// and payload, or an ICMP error with a valid checksum that quotes our
// request. Echo requests (our own, seen again on the local machine) and
// other processes' traffic are refused. `sender6` is the packet's source, for
// the ICMPv6 checksum; without it that checksum is left to the kernel.
IcmpVerdict acceptIcmpPacket(const std::uint8_t* data, std::size_t size,
                             const IcmpEchoExpectation& expect, const in6_addr* sender6);

// True when `quoted`, the start of an ICMP message quoted by an error,
// is our request.
bool quotesRequest(const std::uint8_t* quoted, std::size_t size, const IcmpEchoExpectation& expect);
