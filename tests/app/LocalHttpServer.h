#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A web server of the test's own on a loopback address and an ephemeral
// port: each connection gets its request head read and the current canned
// response, then the connection is closed.
class LocalHttpServer
{
public:
    explicit LocalHttpServer(const char* address) : m_address(address)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, address, &local.sin_addr);
        socklen_t length = sizeof local;
        if (m_listener < 0 ||
            ::bind(m_listener, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
            close();
            return;
        }
        m_port = ntohs(local.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LocalHttpServer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        close();
    }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool listening() const { return m_listener >= 0; }
    std::string url() const { return "http://" + m_address + ":" + std::to_string(m_port) + "/"; }
    void respond(const std::string& response)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_response = response;
    }
    std::vector<std::string> requests()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void close()
    {
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
    }
    void serve()
    {
        while (!m_stop) {
            pollfd p{m_listener, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            std::string head;
            char buffer[1024];
            while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
                pollfd c{connection, POLLIN, 0};
                if (::poll(&c, 1, 2000) <= 0)
                    break;
                const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                head.append(buffer, std::size_t(n));
            }
            std::string response;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests.push_back(head);
                response = m_response;
            }
            ::send(connection, response.data(), response.size(), MSG_NOSIGNAL);
            ::close(connection);
        }
    }

    std::string m_address;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::string m_response;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
