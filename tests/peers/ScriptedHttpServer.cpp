#include "ScriptedHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

ScriptedHttpServer::ScriptedHttpServer(std::vector<Piece> script, Ending ending)
    : m_script(std::move(script)), m_ending(ending)
{
    if (pipe2(m_wake, O_CLOEXEC) != 0)
        return;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, Address, &address.sin_addr);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return;
    }
    m_port = ntohs(address.sin_port);
    m_listener = fd;
    m_thread = std::thread([this] { serve(); });
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    m_stopping = true;
    if (m_wake[1] >= 0)
        (void)!::write(m_wake[1], "x", 1);
    if (m_thread.joinable())
        m_thread.join();
    for (const int fd : {m_listener, m_wake[0], m_wake[1]})
        if (fd >= 0)
            ::close(fd);
}

std::string ScriptedHttpServer::url(const std::string& path) const
{
    return std::string("http://") + Address + ":" + port() + path;
}

std::vector<std::string> ScriptedHttpServer::requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool ScriptedHttpServer::pause(int ms)
{
    pollfd entry{m_wake[0], POLLIN, 0};
    return ::poll(&entry, 1, ms) == 0 && !m_stopping;
}

void ScriptedHttpServer::serve()
{
    while (!m_stopping) {
        pollfd entries[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(entries, 2, -1) <= 0 || (entries[1].revents & POLLIN))
            return;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        answer(connection);
        ::close(connection);
    }
}

void ScriptedHttpServer::answer(int connection)
{
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd entries[2] = {{connection, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(entries, 2, 2000) <= 0 || (entries[1].revents & POLLIN))
            break;
        const ssize_t got = ::recv(connection, chunk, sizeof chunk, 0);
        if (got <= 0)
            break;
        head.append(chunk, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(head);
    }
    for (const Piece& piece : m_script) {
        if (piece.delayMs > 0 && !pause(piece.delayMs))
            return;
        std::size_t done = 0;
        while (done < piece.bytes.size()) {
            const ssize_t sent = ::send(connection, piece.bytes.data() + done,
                                        piece.bytes.size() - done, MSG_NOSIGNAL);
            if (sent <= 0)
                return;
            done += static_cast<std::size_t>(sent);
        }
    }
    if (m_ending == Ending::Hold)
        pause(-1);
}
