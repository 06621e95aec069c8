#include "IcmpEchoExchange.h"
#include "WaitCancel.h"

#include "IcmpEchoMessage.h"
#include "IcmpReplyFilter.h"
#include "SocketErrors.h"
#include "TickCount.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/errqueue.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kReceiveSize = 65536;

std::string numericAddress(const sockaddr* address, socklen_t length)
{
    char host[NI_MAXHOST] = {};
    if (getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return {};
    return host;
}

// The local address the kernel routes through to reach `destination`; a
// connected UDP socket tells it without sending anything.
in6_addr routeSource6(const sockaddr_storage& destination, socklen_t length)
{
    in6_addr source{};
    const int fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return source;
    sockaddr_in6 target{};
    std::memcpy(&target, &destination, std::min<std::size_t>(length, sizeof target));
    target.sin6_port = htons(9);
    sockaddr_in6 local{};
    socklen_t localLength = sizeof local;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) == 0)
        source = local.sin6_addr;
    ::close(fd);
    return source;
}

// The identifier the kernel gave a datagram ICMP socket, or 0 when unknown.
std::uint16_t kernelIdentifier(int fd)
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    if (local.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port);
    if (local.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(local).sin6_port);
    return 0;
}

// The identifier travels in network byte order on a datagram socket; the
// request buffer holds it least significant byte first.
std::uint16_t asWireIdentifier(std::uint16_t id)
{
    return static_cast<std::uint16_t>((id >> 8) | (id << 8));
}

// Reads one entry of the error queue of a datagram ICMP socket. Returns true
// with `verdict` filled when it is an ICMP error quoting our request.
bool readErrorQueue(int fd, const IcmpEchoExpectation& expect, std::vector<std::uint8_t>& buffer,
                    IcmpVerdict& verdict, std::string& from)
{
    alignas(cmsghdr) char control[512];
    iovec io{buffer.data(), buffer.size()};
    msghdr header{};
    header.msg_iov = &io;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    const ssize_t received = ::recvmsg(fd, &header, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (received < 0)
        return false;
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
        const bool isError = (c->cmsg_level == SOL_IP && c->cmsg_type == IP_RECVERR) ||
                             (c->cmsg_level == SOL_IPV6 && c->cmsg_type == IPV6_RECVERR);
        if (!isError || c->cmsg_len < CMSG_LEN(sizeof(sock_extended_err)))
            continue;
        sock_extended_err error{};
        std::memcpy(&error, CMSG_DATA(c), sizeof error);
        if (error.ee_origin != SO_EE_ORIGIN_ICMP && error.ee_origin != SO_EE_ORIGIN_ICMP6)
            continue;
        if (!quotesRequest(buffer.data(), static_cast<std::size_t>(received), expect))
            continue;
        // The offender's address follows the error record.
        const std::size_t dataLength = c->cmsg_len - CMSG_LEN(0);
        sockaddr_storage offender{};
        const std::size_t offenderLength = std::min(dataLength - sizeof error, sizeof offender);
        std::memcpy(&offender, CMSG_DATA(c) + sizeof error, offenderLength);
        if (offender.ss_family == AF_INET || offender.ss_family == AF_INET6)
            from = numericAddress(reinterpret_cast<sockaddr*>(&offender),
                                  static_cast<socklen_t>(offenderLength));
        verdict.accepted = true;
        verdict.type = error.ee_type;
        verdict.code = error.ee_code;
        return true;
    }
    return false;
}

} // namespace

IcmpEchoOutcome performIcmpEcho(int fd, const IcmpEchoParams& params)
{
    IcmpEchoOutcome outcome;
    const bool ip6 = params.destination.ss_family == AF_INET6;

    IcmpEchoExpectation expect;
    expect.ip6 = ip6;
    expect.withIpHeader = !ip6 && !params.datagram;
    std::string message = IcmpEchoMessage::build(ip6, params.identifier, params.sequence,
                                                 TickCount32(), params.payloadSize);
    if (ip6) {
        expect.local6 = routeSource6(params.destination, params.destinationLength);
        IcmpEchoMessage::setChecksum6(
            message, expect.local6,
            reinterpret_cast<const sockaddr_in6&>(params.destination).sin6_addr);
    } else {
        IcmpEchoMessage::setChecksum4(message);
    }
    if (params.datagram) {
        const int on = 1;
        if (ip6)
            setsockopt(fd, SOL_IPV6, IPV6_RECVERR, &on, sizeof on);
        else
            setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
    }

    ssize_t sent;
    do {
        sent = ::sendto(fd, message.data(), message.size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&params.destination),
                        params.destinationLength);
    } while (sent < 0 && errno == EINTR);
    // The round trip is measured finer than the tick count: a reply in a few
    // microseconds that happens to cross a millisecond boundary is still
    // under a millisecond.
    const auto sentAt = std::chrono::steady_clock::now();
    if (sent < 0) {
        outcome.error = errno != 0 ? errno : EIO;
        return outcome;
    }
    expect.request = message;
    if (params.datagram) {
        const std::uint16_t id = kernelIdentifier(fd);
        expect.matchIdentifier = id != 0;
        IcmpEchoMessage::setIdentifier(expect.request, asWireIdentifier(id));
    }

    std::vector<std::uint8_t> buffer(kReceiveSize);
    // The time-out runs from the send on the steady clock. What is left of it
    // is rounded up to whole milliseconds: after a datagram that was not the
    // reply, the wait goes on to the full time-out, never a fraction short.
    const auto deadline =
        sentAt + std::chrono::milliseconds(params.timeoutMs < 0 ? 0 : params.timeoutMs);
    while (true) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) {
            outcome.error = SockErr::TimedOut;
            return outcome;
        }
        pollfd entry{fd, POLLIN, 0};
        const int ready = WaitCancel::poll(entry, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            outcome.error = errno;
            return outcome;
        }
        if (ready == 0) {
            outcome.error = SockErr::TimedOut;
            return outcome;
        }

        IcmpVerdict verdict;
        std::string from;
        if (params.datagram && (entry.revents & POLLERR)) {
            if (!readErrorQueue(fd, expect, buffer, verdict, from)) {
                // Not ours: take the pending error off the socket so the next
                // wait does not report it again.
                int pending = 0;
                socklen_t size = sizeof pending;
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size);
                continue;
            }
        } else {
            sockaddr_storage sender{};
            socklen_t senderLength = sizeof sender;
            const ssize_t received =
                ::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                           reinterpret_cast<sockaddr*>(&sender), &senderLength);
            if (received < 0) {
                // A pending ICMP error on the socket is reported once by a
                // receive; the packet itself, if it is ours, arrives as well.
                if (errno == EAGAIN || errno == EINTR || errno == EHOSTUNREACH ||
                    errno == ENETUNREACH || errno == ECONNREFUSED || errno == EPROTO ||
                    errno == EACCES || errno == EMSGSIZE)
                    continue;
                outcome.error = errno;
                return outcome;
            }
            const in6_addr* sender6 = nullptr;
            if (ip6 && sender.ss_family == AF_INET6)
                sender6 = &reinterpret_cast<const sockaddr_in6&>(sender).sin6_addr;
            verdict = acceptIcmpPacket(buffer.data(), static_cast<std::size_t>(received), expect,
                                       sender6);
            if (!verdict.accepted)
                continue;
            from = numericAddress(reinterpret_cast<sockaddr*>(&sender), senderLength);
        }
        outcome.error = 0;
        outcome.roundTripMs =
            static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - sentAt)
                                           .count());
        outcome.from = from;
        outcome.type = verdict.type;
        outcome.code = verdict.code;
        return outcome;
    }
}
