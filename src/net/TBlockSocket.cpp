#include "TBlockSocket.h"

#include "AddressLiteral.h"
#include "SocketErrors.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>

#include "WaitCancel.h"
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxPending = 65536;

bool isWildcard(const std::string& host)
{
    return host == "0.0.0.0" || host == "::0" || host == "::";
}

std::string numericHost(const sockaddr_storage& address, socklen_t length)
{
    if (length == 0)
        return {};
    char host[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, nullptr,
                    0, NI_NUMERICHOST) != 0)
        return {};
    return host;
}

int portOf(const sockaddr_storage& address, socklen_t length)
{
    if (length == 0)
        return 0;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return 0;
}

} // namespace

TBlockSocket::TBlockSocket() = default;

TBlockSocket::~TBlockSocket()
{
    closeHandle();
}

void TBlockSocket::setErrorFromErrno()
{
    m_lastError = errno != 0 ? errno : EIO;
}

int TBlockSocket::resolve(const std::string& host, const std::string& port, sockaddr_storage& out,
                          socklen_t& outLen)
{
    outLen = 0;
    int family = AF_UNSPEC;
    if (m_fd >= 0)
        family = m_ip6 ? AF_INET6 : AF_INET;
    else if (Family == TSocketFamily::SF_IP4)
        family = AF_INET;
    else if (Family == TSocketFamily::SF_IP6)
        family = AF_INET6;
    else if (AddressLiteral::isIP4(host))
        family = AF_INET;
    else if (AddressLiteral::isIP6(host))
        family = AF_INET6;

    // Only TCP and UDP have ports; other sockets resolve the address alone.
    const int protocol = SocketProtocol();
    const bool withService = protocol == IPPROTO_TCP || protocol == IPPROTO_UDP;

    auto attempt = [&](int fam) {
        addrinfo hints{};
        hints.ai_family = fam;
        if (withService) {
            hints.ai_socktype = SocketType();
            hints.ai_protocol = protocol;
        }
        const char* node = host.c_str();
        if (isWildcard(host)) {
            node = nullptr;
            hints.ai_flags |= AI_PASSIVE;
        } else if (host == "127.0.0.1" || host == "::1") {
            node = nullptr; // the loopback address of the family
        }
        const std::string service = (withService && !port.empty()) ? port : std::string("0");
        // Without a service the resolver needs the host text, even for the
        // loopback and wildcard addresses (a raw socket has no port).
        if (!withService && !node)
            node = host.c_str();
        addrinfo* result = nullptr;
        const int rc = getaddrinfo(node, withService ? service.c_str() : nullptr, &hints, &result);
        if (rc != 0)
            return SockErr::fromResolverError(rc);
        int error = SockErr::HostNotFound;
        if (result && result->ai_addrlen <= sizeof out) {
            std::memcpy(&out, result->ai_addr, result->ai_addrlen);
            outLen = result->ai_addrlen;
            error = SockErr::Ok;
        }
        freeaddrinfo(result);
        return error;
    };

    int error;
    if (family != AF_UNSPEC) {
        error = attempt(family);
    } else {
        const int first = PreferIP4 ? AF_INET : AF_INET6;
        error = attempt(first);
        if (error != SockErr::Ok)
            error = attempt(first == AF_INET ? AF_INET6 : AF_INET);
    }
    m_lastError = error;
    return error;
}

bool TBlockSocket::createSocket(int family)
{
    if (m_fd >= 0)
        return true;
    // The protocol of an ICMP socket follows the family, so set it first.
    m_ip6 = family == AF_INET6;
    m_fd = ::socket(family, SocketType() | SOCK_CLOEXEC, SocketProtocol());
    if (m_fd < 0) {
        setErrorFromErrno();
        m_ip6 = false;
        m_delayed.clear();
        return false;
    }
    const auto queued = std::move(m_delayed);
    m_delayed.clear();
    for (const DelayedOption& option : queued) {
        if (option.kind == DelayedOption::TTL)
            SetTTL(option.value);
        else
            SetReceiveBufferSize(option.value);
    }
    return true;
}

void TBlockSocket::readRemoteAddress()
{
    m_remoteLen = sizeof m_remote;
    if (m_fd < 0 || getpeername(m_fd, reinterpret_cast<sockaddr*>(&m_remote), &m_remoteLen) != 0)
        m_remoteLen = 0;
}

int TBlockSocket::Bind(const std::string& address, const std::string& port)
{
    m_lastError = SockErr::Ok;
    // Binding to "any address, any port" is what an unbound socket does anyway.
    if (m_fd < 0 && Family == TSocketFamily::SF_Any && address == "0.0.0.0" && port == "0")
        return m_lastError;
    sockaddr_storage local{};
    socklen_t localLen = 0;
    if (resolve(address, port, local, localLen) != SockErr::Ok)
        return m_lastError;
    if (!createSocket(local.ss_family))
        return m_lastError;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), localLen) != 0) {
        setErrorFromErrno();
        return m_lastError;
    }
    return m_lastError;
}

void TBlockSocket::closeHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void TBlockSocket::Close()
{
    closeHandle();
    m_delayed.clear();
    clearReceived();
    m_deadline.reset();
    m_lastLineEnd = LineEnd::None;
    m_ip6 = false;
    m_lastError = SockErr::Ok;
}

int TBlockSocket::sendBytes(const char* data, std::size_t size)
{
    const ssize_t sent = ::send(m_fd, data, size, MSG_NOSIGNAL);
    if (sent < 0)
        setErrorFromErrno();
    return m_lastError;
}

long TBlockSocket::receiveBytes(char* data, std::size_t size)
{
    return ::recv(m_fd, data, size, 0);
}

int TBlockSocket::SendText(const std::string& bytes)
{
    m_lastError = SockErr::Ok;
    if (m_fd < 0) {
        m_lastError = SockErr::NotSocket;
        return m_lastError;
    }
    return sendBytes(bytes.data(), bytes.size());
}

std::size_t TBlockSocket::PendingBytes() const
{
    if (m_fd < 0)
        return 0;
    int count = 0;
    if (ioctl(m_fd, FIONREAD, &count) != 0 || count < 0)
        return 0;
    return std::min<std::size_t>(static_cast<std::size_t>(count), kMaxPending);
}

void TBlockSocket::clearReceived()
{
    m_buffer.clear();
    m_bufferPos = 0;
}

std::string_view TBlockSocket::ReceiveBufferContents() const
{
    return std::string_view(m_buffer).substr(m_bufferPos);
}

void TBlockSocket::SetDeadline(int ms)
{
    if (ms <= 0)
        m_deadline.reset();
    else
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

int TBlockSocket::boundedWait(int timeoutMs) const
{
    if (!m_deadline)
        return timeoutMs;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          *m_deadline - std::chrono::steady_clock::now())
                          .count();
    const int untilDeadline = left > 0 ? static_cast<int>(std::min<long long>(left, INT32_MAX)) : 0;
    return timeoutMs < 0 ? untilDeadline : std::min(timeoutMs, untilDeadline);
}

bool TBlockSocket::WaitReadable(int timeoutMs)
{
    if (m_fd < 0) {
        m_lastError = SockErr::NotSocket;
        return false;
    }
    timeoutMs = boundedWait(timeoutMs);
    pollfd entry{m_fd, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        int wait = timeoutMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        const int rc = WaitCancel::poll(entry, wait);
        if (rc > 0)
            return (entry.revents & (POLLIN | POLLERR | POLLHUP)) != 0;
        if (rc == 0) {
            m_lastError = SockErr::TimedOut;
            return false;
        }
        if (errno != EINTR) {
            setErrorFromErrno();
            return false;
        }
    }
}

std::string TBlockSocket::takeBuffered()
{
    std::string out;
    if (m_bufferPos == 0)
        out.swap(m_buffer);
    else
        out.assign(m_buffer, m_bufferPos, std::string::npos);
    clearReceived();
    return out;
}

std::string TBlockSocket::ReceivePacket(int timeoutMs)
{
    m_lastError = SockErr::Ok;
    if (m_bufferPos < m_buffer.size())
        return takeBuffered();
    clearReceived();
    return receiveFresh(timeoutMs);
}

// What the socket has now, or what comes first within timeoutMs; the
// buffer is not looked at.
std::string TBlockSocket::receiveFresh(int timeoutMs)
{
    m_lastError = SockErr::Ok;
    if (m_fd < 0) {
        m_lastError = SockErr::NotSocket;
        return {};
    }
    if (!IsStream())
        return receiveDatagram(timeoutMs);
    std::size_t pending = PendingBytes();
    if (pending == 0) {
        if (!WaitReadable(timeoutMs))
            return {};
        pending = PendingBytes();
        if (pending == 0) {
            m_lastError = SockErr::ConnectionReset;
            return {};
        }
    }
    std::string out(pending, '\0');
    const long received = receiveBytes(out.data(), out.size());
    if (received < 0) {
        setErrorFromErrno();
        return {};
    }
    if (received == 0) {
        m_lastError = SockErr::ConnectionReset;
        return {};
    }
    out.resize(static_cast<std::size_t>(received));
    dropMatchedLineEnd(out);
    return out;
}

// A datagram is taken whole as soon as the socket is readable: one wait and
// one receive. Readable with nothing to take is the error an ICMP unreachable
// left behind (or a spurious wake-up, which waits on).
std::string TBlockSocket::receiveDatagram(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        int wait = timeoutMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        if (!WaitReadable(wait))
            return {};
        char datagram[kMaxPending];
        const long received = receiveBytes(datagram, sizeof datagram);
        if (received >= 0) {
            std::string out(datagram, static_cast<std::size_t>(received));
            dropMatchedLineEnd(out);
            return out;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            continue;
        m_lastError = errno == ECONNREFUSED ? SockErr::ConnectionReset : errno;
        return {};
    }
}

void TBlockSocket::dropMatchedLineEnd(std::string& bytes)
{
    if (ConvertLineEnd && !bytes.empty()) {
        if ((m_lastLineEnd == LineEnd::CR && bytes[0] == '\n') ||
            (m_lastLineEnd == LineEnd::LF && bytes[0] == '\r'))
            bytes.erase(0, 1);
    }
    m_lastLineEnd = LineEnd::None;
}

std::string TBlockSocket::ReceiveLine(int timeoutMs)
{
    m_lastError = SockErr::Ok;
    std::size_t searchFrom = m_bufferPos;
    while (true) {
        std::size_t end = std::string::npos;
        std::size_t endLength = 0;
        if (!ConvertLineEnd) {
            end = m_buffer.find("\r\n", searchFrom);
            endLength = 2;
        } else {
            // A plain scan: lines are short, and find_first_of costs more per call.
            const char* data = m_buffer.data();
            std::size_t i = searchFrom;
            while (i < m_buffer.size() && data[i] != '\r' && data[i] != '\n')
                ++i;
            end = i < m_buffer.size() ? i : std::string::npos;
            if (end != std::string::npos) {
                endLength = 1;
                const char first = m_buffer[end];
                if (end + 1 < m_buffer.size()) {
                    const char next = m_buffer[end + 1];
                    if ((first == '\r' && next == '\n') || (first == '\n' && next == '\r'))
                        endLength = 2;
                }
            }
        }

        // The limit applies to the line itself; bytes after its end belong to
        // the next read.
        const std::size_t lineLength =
            (end == std::string::npos ? m_buffer.size() : end) - m_bufferPos;
        if (MaxLineLength != 0 && lineLength > MaxLineLength) {
            m_lastError = SockErr::NoBufferSpace;
            return {};
        }
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(m_bufferPos, end - m_bufferPos);
            m_bufferPos = end + endLength;
            if (m_bufferPos >= m_buffer.size()) {
                const char last = m_buffer[end];
                clearReceived();
                if (ConvertLineEnd && endLength == 1)
                    m_lastLineEnd = last == '\r' ? LineEnd::CR : LineEnd::LF;
            }
            return line;
        }

        // Only the unfinished line is kept before more is appended; a "\r\n"
        // may straddle the old end, so its last byte is searched again.
        if (m_bufferPos > 0) {
            m_buffer.erase(0, m_bufferPos);
            m_bufferPos = 0;
        }
        searchFrom = m_buffer.empty() ? 0 : m_buffer.size() - 1;
        const std::string piece = receiveFresh(timeoutMs);
        if (m_lastError != SockErr::Ok)
            return {};
        m_buffer += piece;
    }
}

int TBlockSocket::ReceiveExact(std::string& stream, int timeoutMs, std::size_t count)
{
    m_lastError = SockErr::Ok;
    const std::size_t chunkLimit = SendMaxChunk > 0 ? SendMaxChunk : 65536;
    while (count > 0) {
        const std::size_t piece = std::min(count, chunkLimit);
        std::string chunk;
        while (chunk.size() < piece) {
            std::string got = ReceivePacket(timeoutMs);
            if (m_lastError != SockErr::Ok) {
                m_buffer = std::move(chunk); // keep what came for a later read
                m_bufferPos = 0;
                return m_lastError;
            }
            chunk += got;
        }
        if (chunk.size() > piece) {
            m_buffer = chunk.substr(piece);
            m_bufferPos = 0;
            chunk.resize(piece);
        }
        stream += chunk;
        count -= piece;
    }
    return m_lastError;
}

std::string TBlockSocket::RemoteAddressText() const
{
    return numericHost(m_remote, m_remoteLen);
}

// The local address is asked of the kernel when wanted: it may change with
// the first send, and most exchanges never look at it.
std::string TBlockSocket::LocalAddressText() const
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (m_fd < 0 || getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return {};
    return numericHost(local, length);
}

int TBlockSocket::RemotePort() const
{
    return portOf(m_remote, m_remoteLen);
}

int TBlockSocket::LocalPort() const
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (m_fd < 0 || getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return portOf(local, length);
}

std::string TBlockSocket::LocalHostName()
{
    char name[256] = {};
    if (gethostname(name, 254) != 0)
        name[0] = '\0';
    name[254] = '\0';
    return name[0] ? std::string(name) : std::string("127.0.0.1");
}

void TBlockSocket::ResolveName(const std::string& name, std::vector<std::string>& list)
{
    list.clear();
    addrinfo hints{};
    hints.ai_family = Family == TSocketFamily::SF_IP4   ? AF_INET
                      : Family == TSocketFamily::SF_IP6 ? AF_INET6
                                                        : AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM; // one entry per address, not one per socket type
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &result);
    m_lastError = SockErr::fromResolverError(rc);
    if (rc == 0) {
        for (const addrinfo* entry = result; entry; entry = entry->ai_next) {
            if (entry->ai_addrlen > sizeof(sockaddr_storage))
                continue;
            sockaddr_storage address{};
            std::memcpy(&address, entry->ai_addr, entry->ai_addrlen);
            const std::string text = numericHost(address, entry->ai_addrlen);
            if (!text.empty())
                list.push_back(text);
        }
        freeaddrinfo(result);
    }
    if (list.empty())
        list.emplace_back("0.0.0.0");
}

void TBlockSocket::applyOption(int level, int name, int value)
{
    if (setsockopt(m_fd, level, name, &value, sizeof value) != 0)
        setErrorFromErrno();
    else
        m_lastError = SockErr::Ok;
}

void TBlockSocket::SetTTL(int ttl)
{
    if (m_fd < 0) {
        m_delayed.push_back({DelayedOption::TTL, ttl});
        return;
    }
    if (m_ip6)
        applyOption(IPPROTO_IPV6, IPV6_UNICAST_HOPS, ttl);
    else
        applyOption(IPPROTO_IP, IP_TTL, ttl);
}

void TBlockSocket::SetReceiveBufferSize(int size)
{
    if (m_fd < 0) {
        m_delayed.push_back({DelayedOption::ReceiveBuffer, size});
        return;
    }
    applyOption(SOL_SOCKET, SO_RCVBUF, size);
}
