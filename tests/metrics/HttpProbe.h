#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

// A bare TCP client for the endpoint's tests: connects from a loopback
// address of its own choosing, sends bytes as they are, reads to the end.
namespace HttpProbe {

// A connected socket from `from` to `to`:`port`, or -1.
inline int connectFrom(const std::string& from, const std::string& to, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, to.c_str(), &remote.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool sendAll(int fd, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

// Reads until the peer closes or `limitMs` passed.
inline std::string readToEnd(int fd, int limitMs)
{
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    char buffer[65536];
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (::poll(&p, 1, int(left > 0 ? left : 0)) <= 0)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        got.append(buffer, std::size_t(n));
    }
    return got;
}

// One request, the whole answer (status line, headers, body); empty when the
// connection failed.
inline std::string exchange(const std::string& from, const std::string& to, int port,
                            const std::string& request, int limitMs = 5000)
{
    const int fd = connectFrom(from, to, port);
    if (fd < 0)
        return {};
    sendAll(fd, request);
    std::string answer = readToEnd(fd, limitMs);
    ::close(fd);
    return answer;
}

inline std::string get(const std::string& from, const std::string& to, int port,
                       const std::string& path = "/metrics", int limitMs = 5000)
{
    return exchange(from, to, port,
                    "GET " + path + " HTTP/1.1\r\nHost: " + to + "\r\nConnection: close\r\n\r\n",
                    limitMs);
}

inline std::string body(const std::string& answer)
{
    const auto at = answer.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : answer.substr(at + 4);
}

} // namespace HttpProbe
