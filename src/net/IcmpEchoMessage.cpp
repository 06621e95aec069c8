#include "IcmpEchoMessage.h"

#include "IcmpChecksum.h"

namespace IcmpEchoMessage {

namespace {

void putLE(std::string& message, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        message[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xffu);
}

const std::uint8_t* bytesOf(const std::string& message)
{
    return reinterpret_cast<const std::uint8_t*>(message.data());
}

void putChecksum(std::string& message, std::uint16_t sum)
{
    // The checksum is the one field in network byte order.
    message[2] = static_cast<char>(sum >> 8);
    message[3] = static_cast<char>(sum & 0xffu);
}

} // namespace

std::string build(bool ip6, std::uint16_t identifier, std::uint16_t sequence, std::uint32_t stamp,
                  std::size_t payloadSize)
{
    std::string message(kHeaderSize + payloadSize, static_cast<char>(kFill));
    message[0] = static_cast<char>(echoRequestType(ip6));
    message[1] = 0;
    message[2] = 0;
    message[3] = 0;
    putLE(message, 4, identifier, 2);
    putLE(message, 6, sequence, 2);
    putLE(message, 8, stamp, 4);
    return message;
}

void setIdentifier(std::string& message, std::uint16_t identifier)
{
    if (message.size() >= 6)
        putLE(message, 4, identifier, 2);
}

std::uint16_t sequenceOf(const std::string& message)
{
    if (message.size() < 8)
        return 0;
    const auto* b = bytesOf(message);
    return static_cast<std::uint16_t>(b[6] | b[7] << 8);
}

void setChecksum4(std::string& message)
{
    if (message.size() < 4)
        return;
    putChecksum(message, 0);
    putChecksum(message, internetChecksum(bytesOf(message), message.size()));
}

void setChecksum6(std::string& message, const in6_addr& source, const in6_addr& destination)
{
    if (message.size() < 4)
        return;
    putChecksum(message, 0);
    putChecksum(message, icmp6Checksum(source, destination, bytesOf(message), message.size()));
}

} // namespace IcmpEchoMessage
