#include "LossyRelay.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in endpoint(const std::string& address, int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

// One request on its way: the client to answer and the socket its reply
// comes back on.
struct Exchange
{
    int upstream = -1;
    sockaddr_in client{};
    Clock::time_point expires;
};

struct Pending
{
    std::string reply;
    sockaddr_in client{};
    Clock::time_point due;
};

} // namespace

LossyRelay::LossyRelay(std::string listenAddress, std::string agentAddress, int lossPercent,
                       int delayMs)
    : m_listenAddress(std::move(listenAddress)), m_agentAddress(std::move(agentAddress)),
      m_lossPercent(lossPercent), m_delayMs(delayMs)
{
}

LossyRelay::~LossyRelay()
{
    stop();
}

bool LossyRelay::start()
{
    m_listenFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in local = endpoint(m_listenAddress, 161);
    if (m_listenFd < 0 ||
        ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        m_error = "cannot bind " + m_listenAddress + ":161";
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void LossyRelay::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    m_listenFd = -1;
}

void LossyRelay::run()
{
    std::mt19937 random(161);
    std::uniform_int_distribution<int> percent(0, 99);
    std::vector<Exchange> exchanges;
    std::vector<Pending> pending;
    const sockaddr_in agent = endpoint(m_agentAddress, 161);
    char buffer[65536];
    while (!m_stop) {
        const Clock::time_point now = Clock::now();
        for (auto it = pending.begin(); it != pending.end();) {
            if (it->due > now) {
                ++it;
                continue;
            }
            ::sendto(m_listenFd, it->reply.data(), it->reply.size(), 0,
                     reinterpret_cast<const sockaddr*>(&it->client), sizeof it->client);
            ++m_delivered;
            it = pending.erase(it);
        }
        for (auto it = exchanges.begin(); it != exchanges.end();) {
            if (it->expires <= now) {
                ::close(it->upstream);
                it = exchanges.erase(it);
            } else {
                ++it;
            }
        }

        std::vector<pollfd> fds{{m_listenFd, POLLIN, 0}};
        for (const Exchange& e : exchanges)
            fds.push_back({e.upstream, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 5) <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            sockaddr_in client{};
            socklen_t length = sizeof client;
            const ssize_t n = ::recvfrom(m_listenFd, buffer, sizeof buffer, 0,
                                         reinterpret_cast<sockaddr*>(&client), &length);
            if (n >= 0) {
                ++m_requests;
                Exchange e;
                e.upstream = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
                e.client = client;
                e.expires = Clock::now() + std::chrono::seconds(10);
                if (e.upstream >= 0 &&
                    ::connect(e.upstream, reinterpret_cast<const sockaddr*>(&agent),
                              sizeof agent) == 0 &&
                    ::send(e.upstream, buffer, std::size_t(n), 0) == n)
                    exchanges.push_back(e);
                else if (e.upstream >= 0)
                    ::close(e.upstream);
            }
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (n < 0)
                continue;
            if (percent(random) < m_lossPercent)
                ++m_dropped;
            else
                pending.push_back({std::string(buffer, std::size_t(n)), exchanges[i - 1].client,
                                   Clock::now() + std::chrono::milliseconds(m_delayMs)});
        }
    }
    for (const Exchange& e : exchanges)
        ::close(e.upstream);
}
