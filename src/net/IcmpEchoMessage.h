#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct in6_addr;

// The echo request as this program sends it: type, code, checksum,
// identifier, sequence number and a millisecond time stamp (12 bytes), then
// the payload filled with 0x37. Identifier, sequence number and time stamp
// are written least significant byte first.
namespace IcmpEchoMessage {

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kMaxPayload = 65000;
constexpr std::uint8_t kFill = 0x37;

constexpr std::uint8_t kEchoRequest4 = 8;
constexpr std::uint8_t kEchoReply4 = 0;
constexpr std::uint8_t kEchoRequest6 = 128;
constexpr std::uint8_t kEchoReply6 = 129;

inline std::uint8_t echoRequestType(bool ip6)
{
    return ip6 ? kEchoRequest6 : kEchoRequest4;
}
inline std::uint8_t echoReplyType(bool ip6)
{
    return ip6 ? kEchoReply6 : kEchoReply4;
}

// The request with a zero checksum.
std::string build(bool ip6, std::uint16_t identifier, std::uint16_t sequence, std::uint32_t stamp,
                  std::size_t payloadSize);

void setIdentifier(std::string& message, std::uint16_t identifier);
std::uint16_t sequenceOf(const std::string& message);

// Fills the checksum field: the Internet checksum of the message for IPv4,
// with the pseudo-header of `source` and `destination` for IPv6.
void setChecksum4(std::string& message);
void setChecksum6(std::string& message, const in6_addr& source, const in6_addr& destination);

} // namespace IcmpEchoMessage
