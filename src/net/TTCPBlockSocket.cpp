#include "TTCPBlockSocket.h"

#include "SocketErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace {
// What a graceful close reads and discards at most before it stops waiting
// for a peer that keeps sending.
constexpr std::size_t kMaxDrainOnClose = 1 << 20;
} // namespace

TTCPBlockSocket::~TTCPBlockSocket()
{
    TTCPBlockSocket::Close();
}

int TTCPBlockSocket::SocketType() const
{
    return SOCK_STREAM;
}

int TTCPBlockSocket::SocketProtocol() const
{
    return IPPROTO_TCP;
}

int TTCPBlockSocket::Connect(const std::string& host, const std::string& port)
{
    clearReceived();
    sockaddr_storage remote{};
    socklen_t remoteLen = 0;
    if (resolve(host, port, remote, remoteLen) != SockErr::Ok)
        return m_lastError;
    if (!createSocket(remote.ss_family))
        return m_lastError;
    if (m_deadline) {
        if (connectWithin(remote, remoteLen) != SockErr::Ok)
            return m_lastError;
    } else {
        int rc;
        do {
            rc = ::connect(m_fd, reinterpret_cast<sockaddr*>(&remote), remoteLen);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            setErrorFromErrno();
            return m_lastError;
        }
    }
    readRemoteAddress();
    m_lastError = SockErr::Ok;
    return m_lastError;
}

// A connect that gives up at the deadline: the kernel's own SYN retries
// would otherwise hold it for minutes.
int TTCPBlockSocket::connectWithin(const sockaddr_storage& remote, socklen_t remoteLen)
{
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        setErrorFromErrno();
        return m_lastError;
    }
    int error = 0;
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&remote), remoteLen) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            pollfd entry{m_fd, POLLOUT, 0};
            int rc;
            do {
                rc = ::poll(&entry, 1, boundedWait(-1));
            } while (rc < 0 && errno == EINTR);
            socklen_t length = sizeof error;
            if (rc == 0) {
                ::fcntl(m_fd, F_SETFL, flags);
                m_lastError = SockErr::TimedOut;
                return m_lastError;
            }
            if (rc < 0)
                error = errno;
            else if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    ::fcntl(m_fd, F_SETFL, flags);
    if (error != 0) {
        errno = error;
        setErrorFromErrno();
        return m_lastError;
    }
    m_lastError = SockErr::Ok;
    return m_lastError;
}

int TTCPBlockSocket::sendBytes(const char* data, std::size_t size)
{
    const std::size_t chunk = SendMaxChunk > 0 ? SendMaxChunk : 65536;
    std::size_t done = 0;
    while (done < size) {
        const std::size_t piece = std::min(chunk, size - done);
        const ssize_t sent = ::send(m_fd, data + done, piece, MSG_NOSIGNAL);
        if (sent >= 0) {
            done += static_cast<std::size_t>(sent);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            setErrorFromErrno();
            return m_lastError;
        }
        pollfd entry{m_fd, POLLOUT, 0};
        if (::poll(&entry, 1, NonblockSendTimeout) <= 0) {
            m_lastError = SockErr::TimedOut;
            return m_lastError;
        }
    }
    m_lastError = SockErr::Ok;
    return m_lastError;
}

void TTCPBlockSocket::Close()
{
    if (m_fd >= 0) {
        ::shutdown(m_fd, SHUT_WR);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::size_t drained = 0;
        while (drained < kMaxDrainOnClose) {
            const std::string rest = ReceivePacket(0);
            if (m_lastError != SockErr::Ok || rest.empty())
                break;
            drained += rest.size();
        }
    }
    TBlockSocket::Close();
}
