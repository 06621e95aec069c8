// Who holds a port a test server needs: read from the kernel's socket tables
// while this test holds the port itself.
#include "PortHolder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using PortHolder::Protocol;

// A socket bound to an address and a port the kernel chooses.
class BoundSocket
{
public:
    BoundSocket(Protocol protocol, const char* address, bool listening)
    {
        m_fd = ::socket(AF_INET, protocol == Protocol::Udp ? SOCK_DGRAM : SOCK_STREAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, address, &local.sin_addr);
        socklen_t length = sizeof local;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            (listening && ::listen(m_fd, 1) != 0) ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
            return;
        m_port = ntohs(local.sin_port);
    }
    ~BoundSocket() { close(); }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    std::uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

TEST(PortHolder, findsTheSocketThatTakesThePortOnTheAskedAddress)
{
    struct Case
    {
        Protocol bound;
        const char* boundTo;
        bool listening;
        Protocol asked;
        const char* askedFor;
        bool held;
    };
    const Case cases[] = {
        {Protocol::Udp, "0.0.0.0", false, Protocol::Udp, "127.0.0.77", true},
        {Protocol::Udp, "127.0.0.78", false, Protocol::Udp, "127.0.0.78", true},
        {Protocol::Udp, "127.0.0.78", false, Protocol::Udp, "127.0.0.79", false},
        {Protocol::Udp, "0.0.0.0", false, Protocol::Tcp, "127.0.0.77", false},
        {Protocol::Tcp, "127.0.0.78", true, Protocol::Tcp, "127.0.0.78", true},
        {Protocol::Tcp, "0.0.0.0", true, Protocol::Tcp, "127.0.0.79", true},
        {Protocol::Tcp, "127.0.0.78", true, Protocol::Tcp, "127.0.0.79", false},
        {Protocol::Tcp, "127.0.0.78", true, Protocol::Udp, "127.0.0.78", false},
    };
    for (const Case& c : cases) {
        BoundSocket socket(c.bound, c.boundTo, c.listening);
        ASSERT_NE(socket.port(), 0) << c.boundTo;
        SCOPED_TRACE(std::string(c.boundTo) + " asked " + c.askedFor + ":" +
                     std::to_string(socket.port()));
        const std::string held = PortHolder::describe(c.asked, c.askedFor, socket.port());
        EXPECT_EQ(!held.empty(), c.held) << held;
        if (!c.held)
            continue;
        // Who and where, so that whoever runs the test knows what is in the way.
        EXPECT_NE(held.find("port " + std::to_string(socket.port()) + " on " + c.askedFor),
                  std::string::npos)
            << held;
        EXPECT_NE(held.find("(pid " + std::to_string(getpid()) + ")"), std::string::npos) << held;
        EXPECT_NE(held.find(std::string("bound to ") + c.boundTo), std::string::npos) << held;

        socket.close();
        EXPECT_EQ(PortHolder::describe(c.asked, c.askedFor, socket.port()), "");
    }
}

} // namespace
