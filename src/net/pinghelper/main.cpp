// travimetra-ping ADDRESS TIMEOUT-MS TTL PAYLOAD-SIZE
//
// Sends exactly one ICMP echo request to ADDRESS (a numeric unicast IPv4 or
// IPv6 address, never a name) over a raw socket and prints the outcome as one
// line on standard output (see PingHelperProtocol.h). Installed with
// cap_net_raw so that Travimetra itself never needs a capability; the
// capability is dropped as soon as the socket is open.

#include "IcmpEchoExchange.h"
#include "PingHelperProtocol.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/capability.h>
#include <netdb.h>
#include <netinet/in.h>
#include <random>
#include <string>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int kUsage = 2;

bool parseBounded(const char* text, long min, long max, long& value)
{
    if (!text || !*text || std::strlen(text) > 6)
        return false;
    long result = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        result = result * 10 + (*p - '0');
    }
    if (result < min || result > max)
        return false;
    value = result;
    return true;
}

bool isUnicast(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET) {
        const std::uint32_t ip =
            ntohl(reinterpret_cast<const sockaddr_in&>(address).sin_addr.s_addr);
        return ip != 0 && ip != 0xffffffffu && (ip >> 28) != 0xe;
    }
    if (address.ss_family == AF_INET6) {
        const in6_addr& ip = reinterpret_cast<const sockaddr_in6&>(address).sin6_addr;
        return !IN6_IS_ADDR_UNSPECIFIED(&ip) && !IN6_IS_ADDR_MULTICAST(&ip);
    }
    return false;
}

// Only a numeric address: the helper never resolves names.
bool parseAddress(const char* text, sockaddr_storage& address, socklen_t& length)
{
    if (!text || std::strlen(text) > 64)
        return false;
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_socktype = SOCK_RAW;
    addrinfo* result = nullptr;
    if (getaddrinfo(text, nullptr, &hints, &result) != 0 || !result)
        return false;
    const bool fits = result->ai_addrlen <= sizeof address;
    if (fits) {
        std::memcpy(&address, result->ai_addr, result->ai_addrlen);
        length = result->ai_addrlen;
    }
    freeaddrinfo(result);
    return fits && isUnicast(address);
}

bool dropCapabilities()
{
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    header.pid = 0;
    __user_cap_data_struct data[2] = {};
    return syscall(SYS_capset, &header, data) == 0;
}

int report(const IcmpEchoOutcome& outcome)
{
    const std::string line = PingHelperProtocol::format(outcome);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(1, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return 1;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    IcmpEchoParams params;
    long timeout = 0, ttl = 0, size = 0;
    if (argc != 5 || !parseAddress(argv[1], params.destination, params.destinationLength) ||
        !parseBounded(argv[2], 0, 60000, timeout) || !parseBounded(argv[3], 1, 255, ttl) ||
        !parseBounded(argv[4], 0, 65000, size)) {
        static const char usage[] = "usage: travimetra-ping ADDRESS TIMEOUT-MS TTL PAYLOAD-SIZE\n";
        (void)!::write(2, usage, sizeof usage - 1);
        return kUsage;
    }
    const bool ip6 = params.destination.ss_family == AF_INET6;
    const int fd = ::socket(params.destination.ss_family, SOCK_RAW | SOCK_CLOEXEC,
                            ip6 ? int{IPPROTO_ICMPV6} : int{IPPROTO_ICMP});
    IcmpEchoOutcome outcome;
    if (fd < 0) {
        outcome.error = errno != 0 ? errno : EIO;
        dropCapabilities();
        return report(outcome);
    }
    if (!dropCapabilities()) {
        outcome.error = errno != 0 ? errno : EPERM;
        return report(outcome);
    }
    const int ttlValue = static_cast<int>(ttl);
    const int bufferSize = 61440;
    if (ip6)
        setsockopt(fd, IPPROTO_IPV6, IPV6_UNICAST_HOPS, &ttlValue, sizeof ttlValue);
    else
        setsockopt(fd, IPPROTO_IP, IP_TTL, &ttlValue, sizeof ttlValue);
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof bufferSize);

    params.datagram = false;
    params.timeoutMs = static_cast<int>(timeout);
    params.payloadSize = static_cast<std::size_t>(size);
    std::mt19937 random(std::random_device{}());
    params.identifier =
        static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 32766)(random));
    params.sequence = 1;
    outcome = performIcmpEcho(fd, params);
    ::close(fd);
    return report(outcome);
}
