#include "IsolatedNetwork.h"
#include "PeerRequirement.h"
#include "SocketErrors.h"
#include "TTCPBlockSocket.h"
#include "TUDPBlockSocket.h"

#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A plain POSIX TCP listener on 127.0.0.1 with an ephemeral port.
class Listener
{
public:
    Listener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_fd, 4);
        socklen_t length = sizeof address;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(m_fd); }
    std::string port() const { return std::to_string(m_port); }
    int accept() { return ::accept(m_fd, nullptr, nullptr); }

private:
    int m_fd;
    int m_port = 0;
};

void sendAll(int fd, const std::string& bytes)
{
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
}

TEST(BlockSocket, BindingToAnyAddressAndPortCreatesNoSocket)
{
    TUDPBlockSocket sock;
    EXPECT_EQ(sock.Bind("0.0.0.0", "0"), 0);
    EXPECT_EQ(sock.Handle(), -1);
    EXPECT_EQ(sock.LastError(), 0);
}

TEST(BlockSocket, UdpRoundTripRecordsTheSenderAsRemoteAddress)
{
    TUDPBlockSocket server;
    ASSERT_EQ(server.Bind("127.0.0.1", "0"), 0);
    const std::string port = std::to_string(server.LocalPort());

    TUDPBlockSocket client;
    ASSERT_EQ(client.Connect("127.0.0.1", port), 0);
    ASSERT_EQ(client.SendText(std::string("ping\0me", 7)), 0);

    const std::string got = server.ReceivePacket(2000);
    EXPECT_EQ(server.LastError(), 0);
    EXPECT_EQ(got, std::string("ping\0me", 7));
    EXPECT_EQ(server.RemoteAddressText(), "127.0.0.1");
    EXPECT_EQ(server.RemotePort(), client.LocalPort());

    // The server answers whoever sent last.
    ASSERT_EQ(server.SendText("pong"), 0);
    EXPECT_EQ(client.ReceivePacket(2000), "pong");
}

TEST(BlockSocket, EmptyDatagramIsADatagramNotAnError)
{
    TUDPBlockSocket server;
    ASSERT_EQ(server.Bind("127.0.0.1", "0"), 0);
    TUDPBlockSocket client;
    ASSERT_EQ(client.Connect("127.0.0.1", std::to_string(server.LocalPort())), 0);
    ASSERT_EQ(client.SendText(""), 0);
    ASSERT_EQ(client.SendText("after"), 0);
    EXPECT_EQ(server.ReceivePacket(2000), "");
    EXPECT_EQ(server.LastError(), 0);
    EXPECT_EQ(server.ReceivePacket(2000), "after");
}

TEST(BlockSocket, UdpOverIPv6Loopback)
{
    TUDPBlockSocket server;
    ASSERT_EQ(server.Bind("::1", "0"), 0);
    EXPECT_TRUE(server.IsIP6());
    TUDPBlockSocket client;
    ASSERT_EQ(client.Connect("::1", std::to_string(server.LocalPort())), 0);
    ASSERT_EQ(client.SendText("six"), 0);
    EXPECT_EQ(server.ReceivePacket(2000), "six");
    EXPECT_EQ(server.RemoteAddressText(), "::1");
}

TEST(BlockSocket, ReceiveTimesOutWithNothingAndReportsTimeout)
{
    TUDPBlockSocket sock;
    ASSERT_EQ(sock.Bind("127.0.0.1", "0"), 0);
    const auto start = Clock::now();
    EXPECT_EQ(sock.ReceivePacket(150), "");
    EXPECT_EQ(sock.LastError(), SockErr::TimedOut);
    EXPECT_GE(msSince(start), 140);
}

TEST(BlockSocket, AssociatedUdpSocketReportsAClosedPortAtOnce)
{
    // Find a port nobody listens on: bind, note it, close.
    std::string port;
    {
        TUDPBlockSocket probe;
        ASSERT_EQ(probe.Bind("127.0.0.1", "0"), 0);
        port = std::to_string(probe.LocalPort());
    }
    TUDPBlockSocket sock;
    sock.AssociatePeer = true;
    ASSERT_EQ(sock.Connect("127.0.0.1", port), 0);
    ASSERT_EQ(sock.SendText("anyone?"), 0);
    const auto start = Clock::now();
    EXPECT_EQ(sock.ReceivePacket(3000), "");
    EXPECT_EQ(sock.LastError(), SockErr::ConnectionReset);
    EXPECT_LT(msSince(start), 2000);
}

TEST(BlockSocket, AssociatedUdpSocketIgnoresOtherSenders)
{
    TUDPBlockSocket agent, stranger;
    ASSERT_EQ(agent.Bind("127.0.0.1", "0"), 0);
    ASSERT_EQ(stranger.Bind("127.0.0.1", "0"), 0);

    TUDPBlockSocket client;
    client.AssociatePeer = true;
    ASSERT_EQ(client.Connect("127.0.0.1", std::to_string(agent.LocalPort())), 0);
    ASSERT_EQ(client.SendText("q"), 0);
    ASSERT_EQ(agent.ReceivePacket(2000), "q");

    ASSERT_EQ(stranger.Connect("127.0.0.1", std::to_string(client.LocalPort())), 0);
    ASSERT_EQ(stranger.SendText("forged"), 0);
    ASSERT_EQ(agent.SendText("genuine"), 0);
    EXPECT_EQ(client.ReceivePacket(2000), "genuine");
    EXPECT_EQ(client.ReceivePacket(100), "");
    EXPECT_EQ(client.LastError(), SockErr::TimedOut);
}

TEST(BlockSocket, UnresolvableNameFailsTheSendWithoutWaiting)
{
    const int result = runInIsolatedNetwork([] {
        TUDPBlockSocket sock;
        if (sock.Connect("no-such-host.invalid", "161") == 0)
            return 1;
        if (sock.SendText("x") == 0)
            return 2;
        std::vector<std::string> list{"stale"};
        sock.ResolveName("no-such-host.invalid", list);
        if (list != std::vector<std::string>{"0.0.0.0"})
            return 3;
        return 0;
    });
    REQUIRE_PEER(result != -1, "a network namespace of its own (needs root)");
    EXPECT_EQ(result, 0);
}

TEST(BlockSocket, ResolvesNamesAndTheLocalHostName)
{
    TUDPBlockSocket sock;
    std::vector<std::string> list;
    sock.ResolveName("localhost", list);
    ASSERT_FALSE(list.empty());
    EXPECT_TRUE(list[0] == "127.0.0.1" || list[0] == "::1") << list[0];
    sock.ResolveName("10.1.2.3", list);
    EXPECT_EQ(list, std::vector<std::string>{"10.1.2.3"});
    EXPECT_FALSE(TBlockSocket::LocalHostName().empty());
}

TEST(BlockSocket, QueuedOptionsApplyWhenTheSocketIsCreated)
{
    TUDPBlockSocket sock;
    sock.SetTTL(7);
    EXPECT_EQ(sock.Handle(), -1);
    ASSERT_EQ(sock.Connect("127.0.0.1", "9"), 0);
    int ttl = 0;
    socklen_t length = sizeof ttl;
    ASSERT_EQ(getsockopt(sock.Handle(), IPPROTO_IP, IP_TTL, &ttl, &length), 0);
    EXPECT_EQ(ttl, 7);
}

TEST(BlockSocket, LineReadingKeepsTheRestForTheNextRead)
{
    Listener listener;
    std::thread server([&] {
        const int fd = listener.accept();
        sendAll(fd, "HTTP/1.0 200 OK\r\nContent-Le");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sendAll(fd, "ngth: 13\r\n\r\nHello, world!");
        ::close(fd);
    });
    TTCPBlockSocket sock;
    ASSERT_EQ(sock.Connect("127.0.0.1", listener.port()), 0);
    EXPECT_EQ(sock.ReceiveLine(2000), "HTTP/1.0 200 OK");
    EXPECT_EQ(sock.ReceiveBufferContents(), "Content-Le");
    EXPECT_EQ(sock.ReceiveLine(2000), "Content-Length: 13");
    EXPECT_EQ(sock.ReceiveLine(2000), "");
    EXPECT_EQ(sock.LastError(), 0);
    std::string body;
    EXPECT_EQ(sock.ReceiveExact(body, 2000, 13), 0);
    EXPECT_EQ(body, "Hello, world!");
    // The peer has closed: the next read reports it.
    EXPECT_EQ(sock.ReceivePacket(2000), "");
    EXPECT_EQ(sock.LastError(), SockErr::ConnectionReset);
    server.join();
}

TEST(BlockSocket, ConvertedLineEndsSplitAcrossPacketsCountOnce)
{
    Listener listener;
    std::promise<void> firstLineRead;
    std::thread server([&] {
        const int fd = listener.accept();
        sendAll(fd, "first\r");
        firstLineRead.get_future().wait();
        sendAll(fd, "\nsecond\nthird\n\rfourth\r");
        ::close(fd);
    });
    TTCPBlockSocket sock;
    sock.ConvertLineEnd = true;
    ASSERT_EQ(sock.Connect("127.0.0.1", listener.port()), 0);
    EXPECT_EQ(sock.ReceiveLine(2000), "first");
    firstLineRead.set_value();
    EXPECT_EQ(sock.ReceiveLine(2000), "second");
    EXPECT_EQ(sock.ReceiveLine(2000), "third");
    EXPECT_EQ(sock.ReceiveLine(2000), "fourth");
    server.join();
}

TEST(BlockSocket, OverlongLineFailsAndKeepsTheBytes)
{
    Listener listener;
    std::thread server([&] {
        const int fd = listener.accept();
        sendAll(fd, std::string(100, 'x'));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::close(fd);
    });
    TTCPBlockSocket sock;
    sock.MaxLineLength = 64;
    ASSERT_EQ(sock.Connect("127.0.0.1", listener.port()), 0);
    EXPECT_EQ(sock.ReceiveLine(2000), "");
    EXPECT_EQ(sock.LastError(), SockErr::NoBufferSpace);
    EXPECT_EQ(sock.ReceiveBufferContents().size(), 100u);
    server.join();
}

TEST(BlockSocket, ExactReadLeavesTheExcessBuffered)
{
    Listener listener;
    std::thread server([&] {
        const int fd = listener.accept();
        sendAll(fd, "0123456789");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::close(fd);
    });
    TTCPBlockSocket sock;
    sock.SendMaxChunk = 3; // pieces smaller than what arrives
    ASSERT_EQ(sock.Connect("127.0.0.1", listener.port()), 0);
    std::string stream = ">";
    ASSERT_EQ(sock.ReceiveExact(stream, 2000, 7), 0);
    EXPECT_EQ(stream, ">0123456");
    EXPECT_EQ(sock.ReceivePacket(2000), "789");
    server.join();
}

TEST(BlockSocket, TcpConnectToAClosedPortFails)
{
    std::string port;
    {
        Listener gone;
        port = gone.port();
    }
    TTCPBlockSocket sock;
    EXPECT_NE(sock.Connect("127.0.0.1", port), 0);
    EXPECT_NE(sock.SendText("x"), 0);
}

} // namespace
