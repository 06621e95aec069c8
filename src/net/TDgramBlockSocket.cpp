#include "TDgramBlockSocket.h"

#include "SocketErrors.h"

#include <cerrno>
#include <sys/socket.h>

int TDgramBlockSocket::Connect(const std::string& host, const std::string& port)
{
    clearReceived();
    m_associated = false;
    if (resolve(host, port, m_remote, m_remoteLen) != SockErr::Ok)
        return m_lastError; // no destination: the next send fails at once
    if (!createSocket(m_remote.ss_family))
        return m_lastError;
    if (AssociatePeer) {
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&m_remote), m_remoteLen) != 0) {
            setErrorFromErrno();
            return m_lastError;
        }
        m_associated = true;
    }
    m_lastError = SockErr::Ok;
    return m_lastError;
}

int TDgramBlockSocket::sendBytes(const char* data, std::size_t size)
{
    if (m_remoteLen == 0) {
        m_lastError = EDESTADDRREQ;
        return m_lastError;
    }
    ssize_t sent;
    do {
        sent = m_associated ? ::send(m_fd, data, size, MSG_NOSIGNAL)
                            : ::sendto(m_fd, data, size, MSG_NOSIGNAL,
                                       reinterpret_cast<const sockaddr*>(&m_remote), m_remoteLen);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        setErrorFromErrno();
    else
        m_lastError = SockErr::Ok;
    return m_lastError;
}

long TDgramBlockSocket::receiveBytes(char* data, std::size_t size)
{
    sockaddr_storage sender{};
    socklen_t senderLen = sizeof sender;
    ssize_t received;
    do {
        received =
            ::recvfrom(m_fd, data, size, 0, reinterpret_cast<sockaddr*>(&sender), &senderLen);
    } while (received < 0 && errno == EINTR);
    if (received >= 0 && senderLen > 0 && senderLen <= sizeof sender) {
        m_remote = sender;
        m_remoteLen = senderLen;
    }
    return received;
}
