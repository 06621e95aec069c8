#pragma once

#include <cstddef>
#include <cstdint>

struct in6_addr;

// The Internet checksum (RFC 1071) of `size` bytes. A message whose checksum
// field is correct sums to 0.
std::uint16_t internetChecksum(const std::uint8_t* data, std::size_t size);

// The ICMPv6 checksum: the Internet checksum over the IPv6 pseudo-header
// (source, destination, upper-layer length, next header 58) and the message.
std::uint16_t icmp6Checksum(const in6_addr& source, const in6_addr& destination,
                            const std::uint8_t* message, std::size_t size);
