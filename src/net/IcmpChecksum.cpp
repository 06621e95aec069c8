#include "IcmpChecksum.h"

#include <netinet/in.h>

namespace {

std::uint32_t addWords(std::uint32_t sum, const std::uint8_t* data, std::size_t size)
{
    std::size_t i = 0;
    for (; i + 1 < size; i += 2) {
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
        sum = (sum & 0xffffu) + (sum >> 16);
    }
    if (i < size) {
        sum += static_cast<std::uint32_t>(data[i] << 8);
        sum = (sum & 0xffffu) + (sum >> 16);
    }
    return sum;
}

std::uint16_t fold(std::uint32_t sum)
{
    while (sum >> 16)
        sum = (sum & 0xffffu) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum & 0xffffu);
}

} // namespace

std::uint16_t internetChecksum(const std::uint8_t* data, std::size_t size)
{
    return fold(addWords(0, data, size));
}

std::uint16_t icmp6Checksum(const in6_addr& source, const in6_addr& destination,
                            const std::uint8_t* message, std::size_t size)
{
    std::uint8_t pseudo[40] = {};
    for (int i = 0; i < 16; ++i) {
        pseudo[i] = source.s6_addr[i];
        pseudo[16 + i] = destination.s6_addr[i];
    }
    const auto length = static_cast<std::uint32_t>(size);
    pseudo[32] = static_cast<std::uint8_t>(length >> 24);
    pseudo[33] = static_cast<std::uint8_t>(length >> 16);
    pseudo[34] = static_cast<std::uint8_t>(length >> 8);
    pseudo[35] = static_cast<std::uint8_t>(length);
    pseudo[39] = IPPROTO_ICMPV6;
    return fold(addWords(addWords(0, pseudo, sizeof pseudo), message, size));
}
