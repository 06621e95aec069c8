// Feeds bytes as received ICMP packets to the echo reply filter. The first
// bytes choose the expectation; a flag repairs the checksum so the fuzzer
// reaches the matching rules behind it.

#include "IcmpChecksum.h"
#include "IcmpEchoMessage.h"
#include "IcmpReplyFilter.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint8_t flags = data[0];
    const std::uint16_t sequence = data[1];
    const std::size_t payload = data[2] % 64;
    const bool ip6 = flags & 1;

    IcmpEchoExpectation expect;
    expect.ip6 = ip6;
    expect.withIpHeader = flags & 2;
    expect.matchIdentifier = flags & 4;
    expect.request = IcmpEchoMessage::build(ip6, 4321, sequence, 77, payload);
    IcmpEchoMessage::setChecksum4(expect.request);
    expect.local6.s6_addr[15] = 1;

    std::string packet(reinterpret_cast<const char*>(data + 3), size - 3);
    const std::size_t offset =
        (!ip6 && expect.withIpHeader && !packet.empty()) ? (packet[0] & 0x0f) * 4u : 0;
    if ((flags & 8) && packet.size() >= offset + 4) {
        packet[offset + 2] = 0;
        packet[offset + 3] = 0;
        const auto* message = reinterpret_cast<const std::uint8_t*>(packet.data()) + offset;
        const std::uint16_t sum =
            ip6 ? icmp6Checksum(expect.local6, expect.local6, message, packet.size() - offset)
                : internetChecksum(message, packet.size() - offset);
        packet[offset + 2] = static_cast<char>(sum >> 8);
        packet[offset + 3] = static_cast<char>(sum & 0xff);
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(packet.data());
    const IcmpVerdict verdict =
        acceptIcmpPacket(bytes, packet.size(), expect, ip6 ? &expect.local6 : nullptr);
    // An accepted answer is never our own request seen again.
    if (verdict.accepted && verdict.type == IcmpEchoMessage::echoRequestType(ip6))
        __builtin_trap();
    (void)quotesRequest(bytes, packet.size(), expect);
    return 0;
}
