#include "IcmpReplyFilter.h"

#include "IcmpChecksum.h"
#include "IcmpEchoMessage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kIcmpHeader = 8;
constexpr std::size_t kIp4MinHeader = 20;
constexpr std::size_t kIp6Header = 40;

bool isErrorType(bool ip6, std::uint8_t type)
{
    if (ip6)
        return type >= 1 && type <= 4; // unreachable, too big, time exceeded, parameter
    return type == 3 || type == 4 || type == 5 || type == 11 || type == 12;
}

// Length of a well-formed IPv4 header at the start of `data`, or 0.
std::size_t ip4HeaderLength(const std::uint8_t* data, std::size_t size)
{
    if (size < kIp4MinHeader || (data[0] >> 4) != 4)
        return 0;
    const std::size_t length = static_cast<std::size_t>(data[0] & 0x0f) * 4;
    if (length < kIp4MinHeader || length > size)
        return 0;
    return length;
}

// The quoted ICMP message inside an error's body: the offending packet's IP
// header comes first.
bool errorQuotesRequest(const std::uint8_t* body, std::size_t size,
                        const IcmpEchoExpectation& expect)
{
    if (expect.ip6) {
        if (size < kIp6Header || (body[0] >> 4) != 6 || body[6] != IPPROTO_ICMPV6)
            return false;
        return quotesRequest(body + kIp6Header, size - kIp6Header, expect);
    }
    const std::size_t header = ip4HeaderLength(body, size);
    if (header == 0 || body[9] != IPPROTO_ICMP)
        return false;
    return quotesRequest(body + header, size - header, expect);
}

} // namespace

bool quotesRequest(const std::uint8_t* quoted, std::size_t size, const IcmpEchoExpectation& expect)
{
    const auto* request = reinterpret_cast<const std::uint8_t*>(expect.request.data());
    const std::size_t requestSize = expect.request.size();
    if (size < kIcmpHeader || requestSize < kIcmpHeader)
        return false;
    if (quoted[0] != request[0] || quoted[1] != request[1])
        return false;
    if (expect.matchIdentifier && (quoted[4] != request[4] || quoted[5] != request[5]))
        return false;
    if (quoted[6] != request[6] || quoted[7] != request[7])
        return false;
    // Whatever more of the request is quoted (time stamp, payload) must match too.
    const std::size_t more = std::min(size, requestSize) - kIcmpHeader;
    return std::memcmp(quoted + kIcmpHeader, request + kIcmpHeader, more) == 0;
}

IcmpVerdict acceptIcmpPacket(const std::uint8_t* data, std::size_t size,
                             const IcmpEchoExpectation& expect, const in6_addr* sender6)
{
    IcmpVerdict verdict;
    if (!data)
        return verdict;
    const std::uint8_t* message = data;
    std::size_t length = size;
    if (!expect.ip6 && expect.withIpHeader) {
        const std::size_t header = ip4HeaderLength(data, size);
        if (header == 0 || data[9] != IPPROTO_ICMP)
            return verdict;
        message += header;
        length -= header;
    }
    if (length < kIcmpHeader)
        return verdict;

    if (expect.ip6) {
        if (sender6 && icmp6Checksum(*sender6, expect.local6, message, length) != 0)
            return verdict;
    } else if (internetChecksum(message, length) != 0) {
        return verdict;
    }

    const std::uint8_t type = message[0];
    if (type == IcmpEchoMessage::echoReplyType(expect.ip6)) {
        // Everything after the checksum must be ours; the identifier only once known.
        const std::string& request = expect.request;
        if (length != request.size() || length < kIcmpHeader)
            return verdict;
        const std::size_t from = expect.matchIdentifier ? 4 : 6;
        if (std::memcmp(message + from, request.data() + from, length - from) != 0)
            return verdict;
    } else if (isErrorType(expect.ip6, type)) {
        if (!errorQuotesRequest(message + kIcmpHeader, length - kIcmpHeader, expect))
            return verdict;
    } else {
        return verdict; // echo requests (ours seen again) and everything else
    }
    verdict.accepted = true;
    verdict.type = type;
    verdict.code = message[1];
    return verdict;
}
